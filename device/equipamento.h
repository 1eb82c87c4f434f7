#pragma once
// Device models as the information block reports them, and the texts the device
// file names and log records travel in.
#include <QString>
#include <optional>

#include "device/hexa.h"

namespace tovra {

enum class TType_Equipamento {
  VersaoDesc = 0,
  VersaoDesc2 = 1,
  VersaoDesc3 = 2,
  VexlinV2 = 3,
  VexlinV3 = 4,
  Quadrel2 = 5,
  VexlinMRX = 6,
  VexlinPad = 7,
  VexlinV4 = 8,
  VexlinPad2 = 9,
  VexlinV5 = 10,
  VexlinPad3 = 11,
};

// The enumeration name of a model value ("VexlinV5"); "VersaoDesc" for unknown values.
QString NomeEquipamento(int _Tipo);

// Text to the device's character set, Windows-1252, one byte per character, as
// HexaString. Nothing when a character has no single byte there.
std::optional<HexaString> TextoParaDispositivo(const QString& _Texto);
// The device's bytes (Windows-1252) as text, up to the first 00 byte.
QString TextoDoDispositivo(const HexaString& _Bytes);

}  // namespace tovra
