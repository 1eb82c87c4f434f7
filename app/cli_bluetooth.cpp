// tovra-cli bt-scan [--sim] [--timeout MS] [--all] [--probe NAME]: Bluetooth
// discovery through the adapter (QtBluetooth / BlueZ), or through the simulated
// adapter with --sim; --probe pairs when needed, connects and probes the device.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "app/cli.h"
#include "common/pastas.h"
#include "device/vexlin.h"
#include "sim/bluetooth_sim.h"

namespace tovra::cli {

namespace {

int Sonda(TClass_Vexlin& vexlin, const QString& nome) {
  try {
    vexlin.Conectar(nome, TTypeConexao::tcBluetooth);
  } catch (const std::exception& e) {
    Err("cannot connect to " + nome + ": " + TextoDe(e));
    return 1;
  }
  if (!vexlin.Conectado()) {
    Err("cannot connect to " + nome + ": the socket did not come up");
    return 1;
  }
  Out("connected: " + nome);
  if (vexlin.AguardaCC()) Out("ready: " + vexlin.FrameConfirmado());
  QElapsedTimer t;
  t.start();
  QString erro;
  if (!vexlin.EnviaAguarda(opcodes::kProbe, "", "55 80", tempos::kProbeBluetoothMs, erro)) {
    Out(QString("probe: no answer within %1 ms%2")
            .arg(tempos::kProbeBluetoothMs)
            .arg(erro.isEmpty() ? QString() : " (" + erro + ")"));
    vexlin.Desconectar();
    return 1;
  }
  Out(QString("probe: %1 in %2 ms").arg(vexlin.FrameConfirmado()).arg(t.elapsed()));
  vexlin.Desconectar();
  return 0;
}

int BtScan(const TArgs& args) {
  const bool simulado = args.TemOpcao("sim");
  bool ok = false;
  const int timeout = args.Opcao("timeout", QString::number(bluetooth::kTimeoutDescobertaMs)).toInt(&ok);
  if (!ok || timeout <= 0) {
    Err("usage: tovra-cli bt-scan [--sim] [--timeout MS] [--all] [--probe NAME]");
    return 2;
  }

  if (simulado) sim::InstalaAdaptadorSimulado();
  TClass_Vexlin vexlin(Pastas::Logs());
  TClass_BluetoothLib& bt = vexlin.Conexao().Bluetooth();
  if (!bt.BTEnabled()) {
    Err("no Bluetooth adapter is available or it is powered off (BlueZ); try --sim for the simulated one");
    return 1;
  }

  QEventLoop laco;
  bool terminou = false;
  // The device list of the link, with the discovery time asked for.
  TClass_VexlinConexao& conexao = vexlin.Conexao();
  conexao.Event_ListaLida = [&] {
    terminou = true;
    laco.quit();
  };
  QTimer guarda;
  guarda.setSingleShot(true);
  QObject::connect(&guarda, &QTimer::timeout, &laco, &QEventLoop::quit);
  try {
    conexao.LimpaBTVexlinList();
    bt.LocalizarDevices(timeout);
  } catch (const std::exception& e) {
    Err(TextoDe(e));
    return 1;
  }
  if (!terminou) {
    guarda.start(timeout + 10000);  // the platform's own end notification may come late
    laco.exec();
  }
  if (!terminou) {
    Err("the discovery did not end");
    return 1;
  }

  if (args.TemOpcao("all")) {
    for (const auto& d : bt.PairedList()) Out("paired: " + d.Nome + "  " + d.Endereco);
    for (const auto& d : bt.DeviceList()) Out("found: " + d.Nome + "  " + d.Endereco);
  }
  const auto& lista = vexlin.BTVexlinList();
  if (lista.isEmpty()) Err("no Vexlin device (name starting with BT-) was found");
  for (const auto& d : lista) Out(d.Name + (d.Pareado ? " (Pareado)" : ""));

  const QString nome = args.Opcao("probe");
  if (!nome.isEmpty()) return Sonda(vexlin, nome);
  return 0;
}

TCliRegistro rBtScan{"bt-scan",
                     "[--sim] [--timeout MS] [--all] [--probe NAME]: lists the Bluetooth devices (BT-...); "
                     "--probe connects to one and probes it",
                     &BtScan};

}  // namespace
}  // namespace tovra::cli
