// Finding the device on the serial ports: connect, optionally wait for the ready
// frame, probe with 0x80 and expect 55 80.
#include "common/debug.h"
#include "device/vexlin.h"

namespace tovra {

bool TClass_Vexlin::Sonda(const QString& _Porta, bool _AguardaCC) {
  FConexao->Conectar(_Porta, TTypeConexao::tcUSB);
  if (!Conectado()) return false;
  if (_AguardaCC) AguardaCC();
  QString erro;
  const bool ok = EnviaAguarda(opcodes::kProbe, "", "55 80", tempos::kProbeUsbMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("LocalizarUSBVexlin: " + erro);
  return ok;
}

bool TClass_Vexlin::LocalizarVexlinNaUSB(const QString& _Porta) {
  if (Conectado()) Desconectar();
  if (_Porta.isEmpty()) return false;
  if (Sonda(_Porta, true)) {
    TrataConectado();
    return true;
  }
  if (Conectado()) Desconectar();
  return false;
}

bool TClass_Vexlin::LocalizarVexlinEmTodasPortasUSB() {
  if (Conectado()) Desconectar();
  for (const QString& porta : GetUsbPortList()) {
    if (Sonda(porta, true)) {
      TrataConectado();
      return true;
    }
    if (Conectado()) Desconectar();
  }
  return false;
}

bool TClass_Vexlin::LocalizarUSBVexlin(const QString& _Porta) {
  if (Conectado()) Desconectar();
  TDebug::Linha("LocalizarUSBVexlin _Porta: " + _Porta);
  if (!_Porta.isEmpty() && Sonda(_Porta, false)) {
    TrataConectado();
    return true;
  }
  if (Conectado()) Desconectar();
  TDebug::Linha(QString::fromUtf8("Não encontrou"));
  for (const QString& porta : GetUsbPortList()) {
    if (Sonda(porta, false)) {
      TrataConectado();
      return true;
    }
    if (Conectado()) Desconectar();
  }
  return false;
}

}  // namespace tovra
