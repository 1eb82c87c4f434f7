// CRC-64/WE and the packet cutting.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "device/crc.h"

using namespace tovra;

namespace {

TEST(Crc64, ValoresConhecidos) {
  struct Caso {
    QByteArray dados;
    quint64 crc;
  } casos[] = {{"123456789", 0x62EC59E3F1A4F00AULL}, {"abc", 0x048B813AF9F49702ULL}};
  for (const auto& c : casos) {
    EXPECT_EQ(TMemoryStreamCrc(c.dados).CalcCRC64(), c.crc) << c.dados.constData();
    EXPECT_EQ(CalcCRC64PorByte(c.dados.constData(), c.dados.size()), c.crc);
  }
}

TEST(Crc64, PorFatiasIgualAoByteAByteEmTodoTamanhoEDeslocamento) {
  std::mt19937 g(7);
  QByteArray b(300, Qt::Uninitialized);
  for (auto& c : b) c = char(g());
  for (int ini = 0; ini < 8; ++ini)
    for (int n = 0; n < 80; ++n)
      ASSERT_EQ(CalcCRC64Bytes(b.constData() + ini, n), CalcCRC64PorByte(b.constData() + ini, n)) << ini << " " << n;
}

TEST(Crc64, StreamVazioFalha) { EXPECT_THROW(TMemoryStreamCrc().CalcCRC64(), std::runtime_error); }

TEST(Crc64, Pacotes) {
  QByteArray b(1000, Qt::Uninitialized);
  for (int i = 0; i < b.size(); ++i) b[i] = char(i);
  TMemoryStreamCrc s(b);
  struct Caso {
    quint64 max;
    int qtd;
    int ultimo;
  } casos[] = {{512, 2, 488}, {128, 8, 104}, {1000, 1, 1000}, {2000, 1, 1000}};
  for (const auto& c : casos) {
    const QStringList p = s.GetPacotesHexaString(c.max);
    ASSERT_EQ(p.size(), c.qtd) << c.max;
    EXPECT_EQ(QtdBytes(p.back()), c.ultimo) << c.max;
    QByteArray junto;
    for (const auto& x : p) junto += ToBytes(x);
    EXPECT_EQ(junto, b);
  }
  EXPECT_TRUE(TMemoryStreamCrc().GetPacotesHexaString(128).isEmpty());
  EXPECT_TRUE(s.GetPacotesHexaString(0).isEmpty());
  EXPECT_EQ(s.HexaStringOf(1000, 5), "");
  EXPECT_EQ(s.HexaStringOf(998, 5), "E6 E7");
  EXPECT_EQ(s.HexaStringOf(1, 2), "01 02");
}

}  // namespace
