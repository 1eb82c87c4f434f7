// tovra-cli ports | probe --port P: the serial ports and a probe of the device.
#include <QElapsedTimer>

#include "app/cli.h"
#include "common/pastas.h"
#include "device/serial.h"
#include "device/vexlin.h"

namespace tovra::cli {

namespace {

int Ports(const TArgs&) {
  TClass_USB usb;
  const QStringList portas = usb.GetPortList();
  if (portas.isEmpty()) {
    Err("no serial port of a USB adapter, CDC-ACM device or Bluetooth binding can be opened now");
    return 0;
  }
  for (const QString& p : portas) Out(p);
  return 0;
}

QString MotivoFalha(TTipoFalhaAbertura f) {
  switch (f) {
    case TTipoFalhaAbertura::SemPermissao:
      return "permission denied (the user must belong to the dialout group)";
    case TTipoFalhaAbertura::NaoExiste: return "no such port";
    case TTipoFalhaAbertura::EmUso: return "the port is in use by another program";
    case TTipoFalhaAbertura::Configuracao: return "the port refused the line settings";
    default: return "the port could not be opened";
  }
}

int Probe(const TArgs& args) {
  const QString porta = args.Opcao("port");
  if (porta.isEmpty()) {
    Err("usage: tovra-cli probe --port /dev/ttyUSB0");
    return 2;
  }
  TClass_Vexlin vexlin(Pastas::Logs());
  QElapsedTimer t;
  t.start();
  vexlin.Conectar(porta, TTypeConexao::tcUSB);
  if (!vexlin.Conectado()) {
    auto* usb = dynamic_cast<TClass_USB*>(&vexlin.Conexao().Serial());
    Err("cannot open " + porta + ": " + MotivoFalha(usb ? usb->UltimaFalhaAbertura() : TTipoFalhaAbertura::Outra));
    return 1;
  }
  Out("port: " + porta + " (57600 8N1)");
  t.restart();
  if (vexlin.AguardaCC())
    Out(QString("ready: %1 after %2 ms").arg(vexlin.FrameConfirmado()).arg(t.elapsed()));
  else
    Out(QString("ready: no ready frame within %1 ms").arg(tempos::kAguardaCCMs));
  t.restart();
  QString erro;
  const bool ok = vexlin.EnviaAguarda(opcodes::kProbe, "", "55 80", tempos::kProbeUsbMs, erro);
  const qint64 ms = t.elapsed();
  if (!ok) {
    Out(QString("probe: no answer within %1 ms%2")
            .arg(tempos::kProbeUsbMs)
            .arg(erro.isEmpty() ? QString() : " (" + erro + ")"));
    vexlin.Desconectar();
    return 1;
  }
  const HexaString resposta = vexlin.FrameConfirmado();
  vexlin.TrataConectado();
  Out(QString("probe: %1 in %2 ms").arg(resposta).arg(ms));
  vexlin.Desconectar();
  return 0;
}

TCliRegistro rPorts{"ports", "lists the serial ports a device can be reached on", &Ports};
TCliRegistro rProbe{"probe", "--port P: connects, waits for the ready frame and probes the device", &Probe};

}  // namespace
}  // namespace tovra::cli
