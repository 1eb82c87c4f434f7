#include "device/crc.h"

#include <QFile>
#include <array>
#include <stdexcept>

namespace tovra {

namespace {
constexpr quint64 kPolinomio = 0x42F0E1EBA9EA3693ULL;

constexpr int kFatias = 16;

struct Tabelas {
  std::array<std::array<quint64, 256>, kFatias> t{};
  constexpr Tabelas() {
    for (int i = 0; i < 256; ++i) {
      quint64 c = quint64(i) << 56;
      for (int b = 0; b < 8; ++b) c = (c & (1ULL << 63)) ? (c << 1) ^ kPolinomio : c << 1;
      t[0][size_t(i)] = c;
    }
    for (int k = 1; k < kFatias; ++k)
      for (int i = 0; i < 256; ++i) {
        const quint64 p = t[size_t(k - 1)][size_t(i)];
        t[size_t(k)][size_t(i)] = (p << 8) ^ t[0][size_t(p >> 56)];
      }
  }
};
constexpr Tabelas kTab{};

inline quint64 CargaBE(const unsigned char* p) {
  return quint64(p[0]) << 56 | quint64(p[1]) << 48 | quint64(p[2]) << 40 | quint64(p[3]) << 32 |
         quint64(p[4]) << 24 | quint64(p[5]) << 16 | quint64(p[6]) << 8 | quint64(p[7]);
}
}  // namespace

quint64 CalcCRC64PorByte(const char* dados, qsizetype tamanho) {
  quint64 crc = ~0ULL;
  const auto* p = reinterpret_cast<const unsigned char*>(dados);
  for (qsizetype i = 0; i < tamanho; ++i) crc = (crc << 8) ^ kTab.t[0][size_t((crc >> 56) ^ p[i])];
  return ~crc;
}

// Sixteen bytes per step: the register is folded into the first eight, the next
// eight enter through their own tables (slicing by 16).
quint64 CalcCRC64Bytes(const char* dados, qsizetype tamanho) {
  quint64 crc = ~0ULL;
  const auto* p = reinterpret_cast<const unsigned char*>(dados);
  const auto& t = kTab.t;
  while (tamanho >= 16) {
    const quint64 v = crc ^ CargaBE(p);
    const quint64 w = CargaBE(p + 8);
    crc = t[15][v >> 56] ^ t[14][(v >> 48) & 0xFF] ^ t[13][(v >> 40) & 0xFF] ^ t[12][(v >> 32) & 0xFF] ^
          t[11][(v >> 24) & 0xFF] ^ t[10][(v >> 16) & 0xFF] ^ t[9][(v >> 8) & 0xFF] ^ t[8][v & 0xFF] ^
          t[7][w >> 56] ^ t[6][(w >> 48) & 0xFF] ^ t[5][(w >> 40) & 0xFF] ^ t[4][(w >> 32) & 0xFF] ^
          t[3][(w >> 24) & 0xFF] ^ t[2][(w >> 16) & 0xFF] ^ t[1][(w >> 8) & 0xFF] ^ t[0][w & 0xFF];
    p += 16;
    tamanho -= 16;
  }
  while (tamanho-- > 0) crc = (crc << 8) ^ t[0][size_t((crc >> 56) ^ *p++)];
  return ~crc;
}

bool TMemoryStreamCrc::LoadFromFile(const QString& caminho) {
  QFile f(caminho);
  if (!f.open(QIODevice::ReadOnly)) return false;
  FDados = f.readAll();
  FPosicao = 0;
  return true;
}

quint64 TMemoryStreamCrc::CalcCRC64() const {
  if (FDados.isEmpty()) throw std::runtime_error("Stream read error");
  return CalcCRC64Bytes(FDados.constData(), FDados.size());
}

HexaString TMemoryStreamCrc::HexaStringOf(quint64 _StartIndex, quint64 _Count) const {
  const quint64 tamanho = quint64(FDados.size());
  if (_StartIndex >= tamanho || _Count == 0) return {};
  const quint64 n = std::min(_Count, tamanho - _StartIndex);
  return FromBytes(FDados.constData() + _StartIndex, qsizetype(n));
}

QStringList TMemoryStreamCrc::GetPacotesHexaString(quint64 _MaxSize) const {
  QStringList r;
  if (_MaxSize == 0) return r;  // a zero packet size would never advance
  for (quint64 p = 0; p < quint64(FDados.size()); p += _MaxSize) r << HexaStringOf(p, _MaxSize);
  return r;
}

}  // namespace tovra
