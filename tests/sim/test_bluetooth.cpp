// The Bluetooth link and the device list over the simulated backend, whose RFCOMM
// sockets lead to the device simulator. The link's waits run on a test clock:
// each step wait advances it, so the 10 s connect wait and the pairing bound take
// no real time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <thread>

#include "common/debug.h"
#include "common/pastas.h"
#include "device/vexlin.h"
#include "sim/bluetooth_sim.h"
#include "sim/loopback.h"
#include "tests/support/testsupport.h"

using namespace tovra;
using namespace tovra::test;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

sim::TSimDispositivoBT Disp(const QString& nome, QStringList servicos, bool pareado, bool visivel = true) {
  sim::TSimDispositivoBT d;
  d.Nome = nome;
  d.Servicos = std::move(servicos);
  d.Pareado = pareado;
  d.Visivel = visivel;
  d.Modelo = std::make_shared<sim::TClassSimVexlin>();
  return d;
}

class BluetoothSim : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    TDebug::DefineAtivo(true);
    auto backend = std::make_unique<sim::TClassBluetoothSim>();
    bt = backend.get();
    auto link = std::make_unique<TClass_BluetoothLib>(std::move(backend));
    lib = link.get();
    lib->Relogio = [this] { return agora; };
    lib->Espera = [this](int ms) {
      esperas << ms;
      agora += ms;
    };
    FSerial = std::make_unique<sim::TClassSimVexlin>();
    vexlin = std::make_unique<TClass_Vexlin>(Pastas::Logs(), std::make_unique<sim::TClassLoopbackSim>(*FSerial));
    vexlin->Conexao().TrocaBluetooth(std::move(link));
    vexlin->Event_Conectado = [this] { ++conectados; };
    vexlin->Event_ListaLida = [this] { ++listas; };
    vexlin->Event_DebugStatus = [this](const QString& s) { status << s; };
  }
  void TearDown() override {
    vexlin.reset();
    FSerial.reset();
    DocumentsFixture::TearDown();
  }

  // Discovery to its end: the device list as "name" or "name (Pareado)".
  QStringList Descobre() {
    vexlin->LocalizarBTVexlin();
    bt->ConcluiDescoberta();
    QStringList r;
    for (const auto& d : vexlin->BTVexlinList()) r << d.Name + (d.Pareado ? " (Pareado)" : "");
    return r;
  }
  // The debug lines written since the last call.
  QStringList Linhas() {
    const QStringList todas = TDebug::Linhas();
    QStringList r;
    for (int i = FLidas; i < todas.size(); ++i) r << todas[i].mid(todas[i].indexOf(": ") + 2);
    FLidas = todas.size();
    return r;
  }
  QString Excecao(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return TextoDe(e);
    }
    return "(none)";
  }

  sim::TClassBluetoothSim* bt = nullptr;
  TClass_BluetoothLib* lib = nullptr;
  std::unique_ptr<TClass_Vexlin> vexlin;
  qint64 agora = 0;
  QList<int> esperas;
  int conectados = 0;
  int listas = 0;
  QStringList status;

 private:
  std::unique_ptr<sim::TClassSimVexlin> FSerial;
  int FLidas = 0;
};

TEST(BluetoothRegras, ServicoCompativel) {
  const struct {
    const char* nome;
    bool ok;
  } casos[] = {{"SerialPort", true},     {"serialport", true},   {"Serial Port", false},
               {"RNI-SPP", true},        {"rni-spp", true},      {"RNI-SPP 2", false},
               {"ScannerV4 SPP", true},  {"MyScannerV4", true},  {"ScannerV3", false},
               {"", false},              {"Headset", false}};
  for (const auto& c : casos) EXPECT_EQ(ServicoCompativel(c.nome), c.ok) << c.nome;
}

TEST(BluetoothRegras, PrefixoDaLista) {
  const struct {
    const char* nome;
    bool ok;
  } casos[] = {{"BT-12345", true}, {"BT-", true}, {"bt-12345", false}, {"Bt-1", false},
               {" BT-1", false},   {"XBT-1", false}, {"BT12345", false}};
  for (const auto& c : casos) EXPECT_EQ(NomeVexlinBT(c.nome), c.ok) << c.nome;
}

TEST_F(BluetoothSim, ListaPareadosPrimeiroCadaUmUmaVez) {
  bt->Adiciona(Disp("BT-00002", {"SerialPort"}, false));
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));              // paired and discovered
  bt->Adiciona(Disp("BT-00003", {"SerialPort"}, true, false));       // paired, out of reach
  bt->Adiciona(Disp("bt-00004", {"SerialPort"}, false));             // lower case: not offered
  bt->Adiciona(Disp("Fone", {"Headset"}, true));
  Linhas();
  vexlin->LocalizarBTVexlin();
  EXPECT_EQ(bt->UltimoTimeoutDescoberta(), 6000);
  EXPECT_EQ(listas, 0);  // the list arrives when the discovery ends
  EXPECT_TRUE(vexlin->BTVexlinList().isEmpty());
  EXPECT_EQ(Linhas(), (QStringList{"TClass_BluetoothLib.LocalizarDevices", "BT Ativo", "Desconectado",
                                   "Obtendo lista de devices pareados", "TClass_BluetoothLib.GetPairedList",
                                   "Iniciando Discovery"}));
  bt->ConcluiDescoberta();
  EXPECT_EQ(listas, 1);
  EXPECT_EQ(Linhas().first(), "TClass_BluetoothLib.OnGetDeviceList - Fim Discovery");
  QStringList lista;
  for (const auto& d : vexlin->BTVexlinList()) lista << d.Name + (d.Pareado ? " (Pareado)" : "");
  EXPECT_EQ(lista, (QStringList{"BT-00001 (Pareado)", "BT-00003 (Pareado)", "BT-00002"}));

  // A new discovery starts from an empty list; clearing empties it too.
  vexlin->LocalizarBTVexlin();
  EXPECT_TRUE(vexlin->BTVexlinList().isEmpty());
  bt->ConcluiDescoberta();
  EXPECT_EQ(vexlin->BTVexlinList().size(), 3);
  EXPECT_EQ(listas, 2);
  vexlin->LimpaListaDevices();
  EXPECT_TRUE(vexlin->BTVexlinList().isEmpty());
}

TEST_F(BluetoothSim, BluetoothDesligado) {
  bt->Ligado = false;
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  EXPECT_FALSE(vexlin->BTEnabled());
  Linhas();
  EXPECT_EQ(Excecao([&] { vexlin->LocalizarBTVexlin(); }),
            U("O Bluetooth do seu dispositivo não está ativo. Verifique!"));
  EXPECT_EQ(Linhas(), (QStringList{"TClass_BluetoothLib.LocalizarDevices", "BT inativo"}));
  EXPECT_EQ(bt->Descobertas, 0);
}

TEST_F(BluetoothSim, PonteAPontaPareiaConectaESonda) {
  auto& d = bt->Adiciona(Disp("BT-12345", {"Audio Source", "ScannerV4 SPP"}, false));
  d.PassosAtePareado = 3;
  auto modelo = d.Modelo;
  ASSERT_EQ(Descobre(), QStringList{"BT-12345"});
  Linhas();
  status.clear();
  vexlin->Conectar("BT-12345", TTypeConexao::tcBluetooth);
  EXPECT_EQ(bt->PedidosPareamento, 1);
  EXPECT_EQ(esperas, (QList<int>{500, 500}));  // paired on the third look
  ASSERT_TRUE(vexlin->Conectado());
  EXPECT_EQ(conectados, 1);
  EXPECT_EQ(vexlin->TipoConexao(), TTypeConexao::tcBluetooth);
  EXPECT_EQ(vexlin->NomeConexao(), "BT-12345");
  EXPECT_EQ(vexlin->MacAddress(), "BT-12345");
  EXPECT_EQ(lib->GetAddress(), bt->Dispositivo("BT-12345")->Endereco);
  EXPECT_TRUE(lib->Pareado("BT-12345"));  // the paired list was refreshed
  const QStringList linhas = Linhas();
  for (const QString& l : {U("Localizando disp: BT-12345"), U("Disp localizado: BT-12345"),
                           U("Disp não pareado: BT-12345"), U("Service Encontrado: ScannerV4 SPP"),
                           U("Criando Socket com: ScannerV4 SPP")})
    EXPECT_TRUE(linhas.contains(l)) << l.toStdString() << "\n" << linhas.join("\n").toStdString();
  const QString uuid = sim::kUuidSerialPort;
  EXPECT_EQ(status, (QStringList{"Socket com service " + uuid + U(" criado com sucesso. Tentando conexão!"),
                                 "Socket com service " + uuid + " conectado com sucesso!"}));

  // The device greets with its ready frame and answers the probe over the socket.
  EXPECT_TRUE(vexlin->AguardaCC());
  EXPECT_TRUE(vexlin->ConexaoAtiva());
  EXPECT_EQ(vexlin->FrameConfirmado(), "02 55 80 FF 29");
  ASSERT_EQ(modelo->FramesRecebidos.size(), 1);
  EXPECT_EQ(FromBytes(modelo->FramesRecebidos[0]), "01 80 FF 7F");
  EXPECT_TRUE(Linhas().contains("> 01 80 FF 7F"));

  // A device already paired connects without pairing.
  auto& p = bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Q_UNUSED(p);
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  EXPECT_EQ(bt->PedidosPareamento, 1);
  EXPECT_TRUE(vexlin->Conectado());
  EXPECT_TRUE(Linhas().contains("Disp pareado: BT-00001"));
  EXPECT_EQ(conectados, 2);
}

TEST_F(BluetoothSim, PareamentoRecusadoOuSemRespostaTerminaNoLimite) {
  auto& r = bt->Adiciona(Disp("BT-00001", {"SerialPort"}, false));
  r.Pareamento = sim::TSimPareamento::Recusa;
  auto& s = bt->Adiciona(Disp("BT-00002", {"SerialPort"}, false));
  s.Pareamento = sim::TSimPareamento::SemResposta;
  Descobre();

  EXPECT_EQ(Excecao([&] { vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth); }),
            U("O pareamento com o device BT-00001 foi recusado."));
  EXPECT_TRUE(esperas.isEmpty());
  EXPECT_FALSE(vexlin->Conectado());
  EXPECT_FALSE(lib->Pareado("BT-00001"));

  // Nobody confirms the pairing: the wait ends at its bound (60 s by default).
  EXPECT_EQ(Excecao([&] { vexlin->Conectar("BT-00002", TTypeConexao::tcBluetooth); }),
            U("O pareamento com o device BT-00002 não foi concluído em 60 s. Confirme o pareamento e tente de novo."));
  EXPECT_EQ(esperas.size(), 120);
  EXPECT_EQ(agora, 60000);
  EXPECT_TRUE(Linhas().contains("Pareamento sem resposta: BT-00002"));

  esperas.clear();
  lib->LimitePareamentoMs = 3000;
  EXPECT_EQ(Excecao([&] { lib->Parear("BT-00002"); }),
            U("O pareamento com o device BT-00002 não foi concluído em 3 s. Confirme o pareamento e tente de novo."));
  EXPECT_EQ(esperas.size(), 6);
  EXPECT_EQ(conectados, 0);

  EXPECT_EQ(Excecao([&] { lib->Parear("BT-99999"); }), U("Dispositivo não encontrado na lista de devices."));
}

TEST_F(BluetoothSim, EsperaDaConexaoDezSegundosEmPassosDe500) {
  auto& d = bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  d.PassosAteConectar = -1;  // never comes up
  auto& e = bt->Adiciona(Disp("BT-00002", {"SerialPort"}, true));
  e.PassosAteConectar = 4;
  Descobre();
  Linhas();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);  // logged only, no error
  EXPECT_EQ(esperas, QList<int>(20, 500));
  EXPECT_FALSE(vexlin->Conectado());
  EXPECT_EQ(conectados, 0);
  EXPECT_TRUE(Linhas().contains(U("Socket não conectado: SerialPort")));

  esperas.clear();
  vexlin->Conectar("BT-00002", TTypeConexao::tcBluetooth);
  EXPECT_EQ(esperas, QList<int>(4, 500));
  EXPECT_TRUE(vexlin->Conectado());
  EXPECT_EQ(conectados, 1);
}

TEST_F(BluetoothSim, TextosDeFalhaDoConectar) {
  bt->Adiciona(Disp("BT-SEM", {}, true));
  bt->Adiciona(Disp("BT-INCOMPAT", {"Serial Port", "Headset"}, true));
  bt->Adiciona(Disp("BT-LEITURA", {"SerialPort"}, true)).FalhaLeituraServicos = true;
  bt->Adiciona(Disp("BT-SOCKET", {"SerialPort"}, true)).FalhaCriarSocket = true;
  bt->Adiciona(Disp("BT-VAZIA1", {"RNI-SPP"}, true)).LeiturasServicosVazias = 1;
  Descobre();
  const struct {
    const char* nome;
    QString texto;
  } casos[] = {
      {"BT-SEM", U("Nenhum serviço encontrado no device: BT-SEM")},
      {"BT-INCOMPAT", U("Nenhum serviço compatível encontrado no device: Headset")},
      {"BT-LEITURA", "(none)"},  // a failed service read ends the call silently
      {"BT-SOCKET", U("Falha ao criar client socket para o device BT-SOCKET\rHost is down")},
      {"BT-NADA", U("Dispositivo não encontrado: BT-NADA")},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(Excecao([&] { vexlin->Conectar(c.nome, TTypeConexao::tcBluetooth); }), c.texto) << c.nome;
    EXPECT_FALSE(vexlin->Conectado()) << c.nome;
  }
  EXPECT_TRUE(Linhas().contains("Falha ao criar socket"));
  EXPECT_EQ(Excecao([&] { lib->Conectar("BT-NADA"); }), U("Dispositivo não encontrado na lista de pareados."));

  // An empty first answer is read a second time.
  const int antes = bt->LeiturasServicos;
  vexlin->Conectar("BT-VAZIA1", TTypeConexao::tcBluetooth);
  EXPECT_EQ(bt->LeiturasServicos - antes, 2);
  EXPECT_TRUE(vexlin->Conectado());
  EXPECT_EQ(conectados, 1);
}

TEST_F(BluetoothSim, EnvioELeitura) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  // not connected
  EXPECT_EQ(Excecao([&] { lib->EnviaFrame("01 80 FF 7F"); }), U("Dispositivo não conectado"));
  QString erro;
  EXPECT_FALSE(lib->LerFrame(erro));
  EXPECT_EQ(erro, "Dispositivo desconectado");

  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->Conectado());
  auto modelo = bt->Dispositivo("BT-00001")->Modelo;
  Linhas();
  EXPECT_EQ(Excecao([&] { lib->EnviaFrame(""); }), "(none)");  // an empty frame only logs
  EXPECT_EQ(Linhas(), QStringList{"TClass_BluetoothLib.EnviaFrame - frame vazio"});
  EXPECT_TRUE(modelo->FramesRecebidos.isEmpty());

  QStringList recebidos;
  lib->Event_BytesRecebidos = [&](const HexaString& h) { recebidos << h; };
  lib->Event_BytesRecebidosBytes = nullptr;
  EXPECT_TRUE(lib->LerFrame(erro));  // the ready frame
  EXPECT_EQ(erro, "");
  EXPECT_EQ(recebidos, QStringList{"01 CC FF 33"});
  EXPECT_FALSE(lib->LerFrame(erro));  // nothing more
  EXPECT_EQ(erro, "");
  bt->DefineFalhaLeitura(true);  // a failing read gives its text and no event
  EXPECT_FALSE(lib->LerFrame(erro));
  EXPECT_EQ(erro, "Connection reset by peer");
  EXPECT_EQ(recebidos.size(), 1);
  bt->DefineFalhaLeitura(false);

  // A send that fails drops the link.
  int desconectados = 0;
  vexlin->Event_Desconectado = [&] { ++desconectados; };
  bt->DefineFalhaEnvio(true);
  Linhas();
  EXPECT_FALSE(vexlin->EnviaComando("80", ""));
  EXPECT_TRUE(Linhas().contains("TClass_BluetoothLib.EnviaFrame 01 80 FF 7F - Desconectar"));
  EXPECT_EQ(Excecao([&] { vexlin->Conexao().EnviaFrame("01 80 FF 7F"); }), U("Não conectado"));
  EXPECT_FALSE(vexlin->Conectado());
  EXPECT_EQ(desconectados, 1);
}

TEST_F(BluetoothSim, FalhaEnviarDadosNoLink) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->Conectado());
  bt->DefineFalhaEnvio(true);
  EXPECT_EQ(Excecao([&] { lib->EnviaFrame("01 80 FF 7F"); }), "Falha ao enviar dados");
  EXPECT_FALSE(lib->Conectado());
}

TEST_F(BluetoothSim, DispositivoFechaOLado) {
  sim::TSimCenario c;
  c.falhas.fecharNoComando = "74";
  auto d = Disp("BT-00001", {"SerialPort"}, true);
  d.Modelo = std::make_shared<sim::TClassSimVexlin>(c);
  bt->Adiciona(d);
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->AguardaCC());
  int desconectados = 0;
  vexlin->Event_Desconectado = [&] { ++desconectados; };
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("74", "", "55 74", 8000, erro));
  EXPECT_EQ(erro, U("Não conectado"));
  EXPECT_EQ(desconectados, 1);
  EXPECT_FALSE(vexlin->Conectado());
}

TEST_F(BluetoothSim, DeviceIsOnlineEServico) {
  bt->Adiciona(Disp("BT-00001", {"Headset", "SerialPort", "RNI-SPP"}, true));
  bt->Adiciona(Disp("BT-00002", {"SerialPort"}, false));
  bt->Adiciona(Disp("BT-00003", {"SerialPort"}, true)).FalhaLeituraServicos = true;
  // Before any list is read there is no paired list.
  EXPECT_FALSE(vexlin->DeviceIsOnline("BT-00001"));
  EXPECT_EQ(status, QStringList{"Verificando Online BT-00001"});
  lib->GetPairedList();
  vexlin->Conectar("/dev/ttyUSB0", TTypeConexao::tcUSB);
  ASSERT_EQ(vexlin->TipoConexao(), TTypeConexao::tcUSB);
  status.clear();
  EXPECT_TRUE(vexlin->DeviceIsOnline("BT-00001"));
  EXPECT_EQ(vexlin->TipoConexao(), TTypeConexao::tcBluetooth);
  EXPECT_EQ(status, (QStringList{"Verificando Online BT-00001", "BT-00001 encontrado na pairedlist",
                                 "qtd services: 3", "Service 0 : Headset", "Service 1 : SerialPort"}));
  EXPECT_FALSE(vexlin->DeviceIsOnline("BT-00002"));  // not paired
  EXPECT_FALSE(vexlin->DeviceIsOnline("BT-00003"));  // the service read fails
  const TBluetoothServico s = lib->GetServiceByDeviceName("BT-00001");
  EXPECT_EQ(s.Nome, "SerialPort");
  EXPECT_EQ(s.Uuid, sim::kUuidSerialPort);
  EXPECT_TRUE(lib->GetServiceByDeviceName("BT-00002").Vazio());
  EXPECT_TRUE(lib->GetServiceByDeviceName("BT-00003").Vazio());
}

TEST_F(BluetoothSim, DescobertaDesconectaOLink) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->Conectado());
  Linhas();
  vexlin->LocalizarBTVexlin();
  const QStringList l = Linhas();
  EXPECT_TRUE(l.contains("TClass_BluetoothLib.LocalizarDevices - Desconectar"));
  EXPECT_TRUE(l.contains("TClass_BluetoothLib.Desconectar"));
  EXPECT_FALSE(l.contains("Desconectado"));
  EXPECT_FALSE(vexlin->Conectado());
}

TEST_F(BluetoothSim, DescobertaSerialDesligaOBluetooth) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->Conectado());
  // No serial port is listed: the search answers false at once, the Bluetooth link is closed.
  EXPECT_FALSE(vexlin->LocalizarVexlinEmTodasPortasUSB());
  EXPECT_FALSE(lib->Conectado());
  EXPECT_EQ(conectados, 1);
}

TEST_F(BluetoothSim, LeituraDeOutraThreadCorreNaPrincipal) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  ASSERT_TRUE(vexlin->Conectado());
  QThread* principal = QThread::currentThread();
  bool naPrincipal = false;
  QString recebido;
  lib->Event_BytesRecebidosBytes = [&](const QByteArray& b) {
    naPrincipal = QThread::currentThread() == principal;
    recebido = FromBytes(b);
  };
  std::atomic<bool> fim = false;
  bool ok = false;
  QString erro;
  std::thread leitor([&] {
    ok = lib->LerFrame(erro);
    fim = true;
  });
  QElapsedTimer t;
  t.start();
  while (!fim && t.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(fim) << "the read did not come back within 10 s";
  while (!fim) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);  // never leave it blocked
  leitor.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(erro, "");
  EXPECT_EQ(recebido, "01 CC FF 33");
  EXPECT_TRUE(naPrincipal);
}

TEST_F(BluetoothSim, DestroyDesconecta) {
  bt->Adiciona(Disp("BT-00001", {"SerialPort"}, true));
  Descobre();
  vexlin->Conectar("BT-00001", TTypeConexao::tcBluetooth);
  auto modelo = bt->Dispositivo("BT-00001")->Modelo;
  Linhas();
  vexlin.reset();
  const QStringList l = Linhas();
  EXPECT_TRUE(l.contains("TClass_BluetoothLib.Destroy - Desconectar"));
  // The device got the closing hard reset over the socket.
  ASSERT_FALSE(modelo->FramesRecebidos.isEmpty());
  EXPECT_EQ(FromBytes(modelo->FramesRecebidos.last()), "01 76 FF 89");
}

// A device object created the ordinary way (as the session will create it) gets
// the installed backend.
TEST(BluetoothFabrica, ObjetoDoDispositivoUsaOAdaptadorInstalado) {
  struct Restaura {
    ~Restaura() { DefineFabricaBackendBluetooth({}); }
  } restaura;
  sim::TClassBluetoothSim* adaptador = nullptr;
  DefineFabricaBackendBluetooth([&]() -> std::unique_ptr<IBluetoothBackend> {
    auto b = sim::TClassBluetoothSim::Demo();
    adaptador = b.get();
    return b;
  });
  sim::TClassSimVexlin serial;
  {
    TClass_Vexlin vexlin(Pastas::Logs(), std::make_unique<sim::TClassLoopbackSim>(serial));
    EXPECT_EQ(adaptador, nullptr);  // created when first needed
    int listas = 0;
    vexlin.Event_ListaLida = [&] { ++listas; };
    ASSERT_TRUE(vexlin.BTEnabled());
    ASSERT_NE(adaptador, nullptr);
    vexlin.LocalizarBTVexlin();
    adaptador->ConcluiDescoberta();
    EXPECT_EQ(listas, 1);
    ASSERT_EQ(vexlin.BTVexlinList().size(), 2);
    EXPECT_EQ(vexlin.BTVexlinList()[0].Name, "BT-12345");
    EXPECT_TRUE(vexlin.BTVexlinList()[0].Pareado);
    vexlin.Conectar("BT-12345", TTypeConexao::tcBluetooth);
    EXPECT_TRUE(vexlin.Conectado());
    EXPECT_TRUE(vexlin.ConexaoAtiva());
  }
}

// Without an adapter (as on the build machines) the QtBluetooth backend reads as
// off and every operation ends with the link's own texts.
TEST(BluetoothQt, SemAdaptadorTerminaComMensagem) {
  TClass_BluetoothLib lib;
  if (lib.BTEnabled()) GTEST_SKIP() << "a Bluetooth adapter is on here";
  QString texto;
  try {
    lib.LocalizarDevices(6000);
  } catch (const std::exception& e) {
    texto = TextoDe(e);
  }
  EXPECT_EQ(texto, U("O Bluetooth do seu dispositivo não está ativo. Verifique!"));
  texto.clear();
  try {
    lib.Conectar("BT-12345");
  } catch (const std::exception& e) {
    texto = TextoDe(e);
  }
  EXPECT_EQ(texto, U("Dispositivo não encontrado na lista de pareados."));
  EXPECT_FALSE(lib.DeviceIsOnline("BT-12345"));
  QString erro;
  EXPECT_FALSE(lib.LerFrame(erro));
  EXPECT_EQ(erro, "Dispositivo desconectado");
}

class BtScanCli : public DocumentsFixture {
 protected:
  int Roda(const QStringList& args, QString& saida, QString& erros) {
    QString raiz = test::BinaryDir();
    if (raiz.isEmpty()) raiz = QCoreApplication::applicationDirPath() + "/../..";
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOVRA_DOCUMENTS", Documents());
    cli.setProcessEnvironment(env);
    cli.start(raiz + "/app/tovra-cli", QStringList{"bt-scan"} + args);
    if (!cli.waitForFinished(60000)) return -1;
    saida = QString::fromUtf8(cli.readAllStandardOutput());
    erros = QString::fromUtf8(cli.readAllStandardError());
    return cli.exitCode();
  }
};

TEST_F(BtScanCli, ListaESondaNoAdaptadorSimulado) {
  QString saida, erros;
  ASSERT_EQ(Roda({"--sim", "--timeout", "50"}, saida, erros), 0) << erros.toStdString();
  EXPECT_EQ(saida.split('\n', Qt::SkipEmptyParts), (QStringList{"BT-12345 (Pareado)", "BT-67890"}));

  ASSERT_EQ(Roda({"--sim", "--timeout", "50", "--probe", "BT-67890"}, saida, erros), 0) << erros.toStdString();
  EXPECT_TRUE(saida.contains("connected: BT-67890")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("ready: 01 CC FF 33")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("probe: 02 55 80 FF 29")) << saida.toStdString();

  EXPECT_EQ(Roda({"--sim", "--timeout", "50", "--probe", "BT-00000"}, saida, erros), 1);
  EXPECT_TRUE(erros.contains(U("Dispositivo não encontrado: BT-00000"))) << erros.toStdString();
}

TEST_F(BtScanCli, SemAdaptador) {
  {
    TClass_BluetoothLib lib;
    if (lib.BTEnabled()) GTEST_SKIP() << "a Bluetooth adapter is on here";
  }
  QString saida, erros;
  EXPECT_EQ(Roda({}, saida, erros), 1);
  EXPECT_TRUE(erros.contains("no Bluetooth adapter")) << erros.toStdString();
}

}  // namespace
