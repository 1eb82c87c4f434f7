#include "sim/loopback.h"

#include "device/serial.h"

namespace tovra::sim {

void TClassLoopbackSim::Conectar(const QString& _Value) {
  FConectado = false;
  if (!Portas.isEmpty() && !Portas.contains(_Value)) return;  // no such port: the open fails
  FNome = _Value;
  FConectado = true;
  FSim.AoConectar();
}

void TClassLoopbackSim::Desconectar() {
  if (FConectado) FSim.AoDesconectar();
  FConectado = false;
  Dispara(Event_Desconectado);
}

void TClassLoopbackSim::EnviaFrame(const HexaString& _Frame) {
  if (!FConectado || FSim.LinkFechado()) throw EVexlin("EXCP_USB_W_0001");
  FSim.Recebe(ToBytes(_Frame));
  Dispara(Event_BytesEnviados, _Frame);
}

bool TClassLoopbackSim::LerFrame(QString& _Erro) {
  _Erro.clear();
  ++Leituras;
  if (!FConectado) return false;
  if (FSim.LinkFechado() && !FSim.TemSaida()) {
    // the far end went away, as a pulled cable does for the serial link
    FConectado = false;
    Dispara(Event_Desconectado);
    return false;
  }
  FSim.Tick();
  const QByteArray chunk = FSim.RetiraSaida(serial::kTamanhoLeitura);
  if (chunk.isEmpty()) return false;
  EntregaBytes(chunk);
  return true;
}

}  // namespace tovra::sim
