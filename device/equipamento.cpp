#include "device/equipamento.h"

#include "common/texto.h"

namespace tovra {

QString NomeEquipamento(int t) {
  static const char* const nomes[] = {"VersaoDesc", "VersaoDesc2", "VersaoDesc3", "VexlinV2",
                                      "VexlinV3",   "Quadrel2",    "VexlinMRX",   "VexlinPad",
                                      "VexlinV4",   "VexlinPad2",  "VexlinV5",    "VexlinPad3"};
  return QString::fromLatin1(t >= 0 && t < 12 ? nomes[t] : nomes[0]);
}

std::optional<HexaString> TextoParaDispositivo(const QString& _Texto) {
  const auto b = EncodeWin1252(_Texto);
  if (!b) return std::nullopt;
  return FromBytes(*b);
}

QString TextoDoDispositivo(const HexaString& _Bytes) {
  QByteArray b = ToBytes(_Bytes);
  const qsizetype z = b.indexOf('\0');
  if (z >= 0) b.truncate(z);
  return DecodeWin1252(b);
}

}  // namespace tovra
