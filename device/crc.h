#pragma once
// CRC-64/WE (polynomial 0x42F0E1EBA9EA3693, initial and final XOR all ones, not
// reflected; check value of "123456789" is 0x62EC59E3F1A4F00A) and the cutting of
// a file into HexaString packets for the device.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "device/hexa.h"

namespace tovra {

// The whole-buffer CRC, sixteen bytes per step (slicing by 16).
quint64 CalcCRC64Bytes(const char* dados, qsizetype tamanho);
// The plain byte-at-a-time form with one 256-entry table (the reference).
quint64 CalcCRC64PorByte(const char* dados, qsizetype tamanho);

// A memory stream: load a file or bytes, then ask it.
class TMemoryStreamCrc {
 public:
  TMemoryStreamCrc() = default;
  explicit TMemoryStreamCrc(QByteArray bytes) : FDados(std::move(bytes)) {}
  bool LoadFromFile(const QString& caminho);  // false when the file cannot be read
  void LoadFromBytes(const QByteArray& bytes) {
    FDados = bytes;
    FPosicao = 0;
  }
  qsizetype Size() const { return FDados.size(); }
  qsizetype Position() const { return FPosicao; }
  void SetPosition(qsizetype p) { FPosicao = p; }
  const QByteArray& Bytes() const { return FDados; }

  // Throws std::runtime_error ("Stream read error") on an empty stream.
  quint64 CalcCRC64() const;
  HexaString HexaStringOf(quint64 _StartIndex, quint64 _Count) const;
  QStringList GetPacotesHexaString(quint64 _MaxSize) const;

 private:
  QByteArray FDados;
  qsizetype FPosicao = 0;
};

}  // namespace tovra
