#pragma once
// The data layouts of the device's result frames: fault frames (0x16, 0x17, 0x32,
// 0x34, 0x36) and live values (0x35). The diagnostic session and the command
// line turn them into their own objects.
#include <QList>
#include <QString>

#include "device/hexa.h"

namespace tovra {

struct TFalhaFrame {
  quint8 opcode = 0;
  HexaString falhaHexa;       // the code bytes
  HexaString status;          // empty for 0x34 and 0x36
  HexaString msgAdicionalID;  // one byte (two for 0x17); empty for 0x34 and 0x36
  int pagina = 0;             // 0x32 and 0x36
};

// Every fault a fault frame's data carries (none for a 0x16/0x17 whose d[0] is 0,
// and none when the data is too short for its layout).
QList<TFalhaFrame> DecodificaFalhas(quint8 _Opcode, const HexaString& _Dados);

struct TRegistroPid {
  int id = 0;
  int formato = 0;
  HexaString valor;  // four bytes as sent
};

// The 7-byte records of a 0x35 frame's data (after the two model bytes).
QList<TRegistroPid> DecodificaPids(const HexaString& _Dados);
// A numeric value: an IEEE single sent most significant byte first.
double ValorNumerico(const HexaString& _Valor);

}  // namespace tovra
