// The HexaString helpers, case by case.
#include <gtest/gtest.h>

#include <stdexcept>

#include "device/hexa.h"

using namespace tovra;

namespace {

TEST(HexaString, ContaEPegaBytes) {
  struct Caso {
    const char* h;
    int qtd;
  } casos[] = {{"", 0}, {"0A", 1}, {"0A 0B", 2}, {"0A 0B 0C", 3}};
  for (const auto& c : casos) EXPECT_EQ(QtdBytes(c.h), c.qtd) << c.h;
  EXPECT_EQ(ByteEm("0A 0B", 1), "0B");
  EXPECT_EQ(ByteEm("0A 0B", 2), "");
  EXPECT_EQ(ByteEm("", 0), "");
}

TEST(HexaString, AdicionaSubBytesApagaInverte) {
  HexaString h;
  Adiciona(h, "0A");
  Adiciona(h, "0B 0C");
  EXPECT_EQ(h, "0A 0B 0C");
  HexaString comBranco = "01 ";
  Adiciona(comBranco, "02");
  EXPECT_EQ(comBranco, "01 02");

  EXPECT_EQ(SubBytes("00 11 22 33 44", 1, 3), "11 22 33");
  EXPECT_EQ(SubBytes("00 11 22", 2, 2), "22");
  EXPECT_EQ(SubBytes("00 11 22", 2, 1), "");
  EXPECT_EQ(SubBytes("00 11", 1, 5), "11");

  struct Caso {
    const char* h;
    int i;
    const char* r;
  } casos[] = {{"0A 0B 0C", 0, "0B 0C"}, {"0A 0B 0C", 1, "0A 0C"}, {"0A 0B 0C", 2, "0A 0B"},
               {"0A 0B 0C", 3, "0A 0B 0C"}, {"", 0, ""}, {"0A", 0, ""}};
  for (const auto& c : casos) {
    HexaString x = c.h;
    ApagaByte(x, c.i);
    EXPECT_EQ(x, c.r) << c.h << " @" << c.i;
  }
  EXPECT_EQ(Inverte("01 02 03"), "03 02 01");
  EXPECT_EQ(Inverte(""), "");
}

TEST(HexaString, ConversoesNumericas) {
  EXPECT_EQ(ToInt("12 34"), 0x1234);
  EXPECT_EQ(ToInt("FF"), 255);
  EXPECT_EQ(ToInt("FF FF FF FF"), -1);
  EXPECT_THROW(ToInt("01 02 03 04 05"), std::invalid_argument);
  EXPECT_THROW(ToInt("0G"), std::invalid_argument);
  EXPECT_EQ(ToIntLE("34 12"), 0x1234);
  EXPECT_EQ(ToInt64LE("01 00 00 00 00 00 00 80"), qint64(0x8000000000000001ULL));
  EXPECT_DOUBLE_EQ(ToSingleLE("00 00 80 3F"), 1.0);
  EXPECT_DOUBLE_EQ(ToSingleLE("00 00 20 C1"), -10.0);
  EXPECT_EQ(ByteToInt("7F"), 127);
  EXPECT_EQ(ByteToInt("7"), 0);
  EXPECT_EQ(ByteToInt("7F0"), 0);
}

TEST(HexaString, TextoEBinario) {
  EXPECT_EQ(ToTexto("41 42 00 43"), "AB");
  EXPECT_EQ(ToBinario("A5"), "10100101");
  EXPECT_EQ(ToBinario("01 80"), "0000000110000000");
  EXPECT_EQ(SemEspacos("0A 0B"), "0A0B");
  EXPECT_EQ(SemZerosEsquerda("00 0A 0B"), "A0B");
  EXPECT_EQ(TextoToHexa("AB"), "41 42");
}

TEST(HexaString, IntToHexaEWord16) {
  struct Caso {
    qint64 v;
    int d;
    const char* r;
  } casos[] = {{300, 4, "01 2C"}, {5, 3, "0 05"}, {5, 2, "05"}, {0x12345, 4, "1 23 45"}, {0, 0, "0"}};
  for (const auto& c : casos) EXPECT_EQ(IntToHexa(c.v, c.d), c.r) << c.v;
  EXPECT_EQ(Word16(300), "01 2C");
  EXPECT_EQ(Word16(0), "00 00");
  EXPECT_EQ(Word16(65535), "FF FF");
}

TEST(HexaString, BytesIdaEVolta) {
  QByteArray b;
  for (int i = 0; i < 256; ++i) b.append(char(i));
  const HexaString h = FromBytes(b);
  EXPECT_EQ(QtdBytes(h), 256);
  EXPECT_TRUE(h.startsWith("00 01 02"));
  EXPECT_TRUE(h.endsWith("FE FF"));
  EXPECT_EQ(ToBytes(h), b);
  EXPECT_EQ(FromBytes(QByteArray()), "");
  EXPECT_EQ(FromBytes(QByteArray("\x02\x55", 2)), "02 55");
}

}  // namespace
