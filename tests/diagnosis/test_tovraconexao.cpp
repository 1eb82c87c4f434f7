// The connection manager against the in-process simulator: the serial loopback in
// place of the serial port and the simulated Bluetooth adapter, whose waits run on
// a test clock. Every attempt must end in exactly one result.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "common/debug.h"
#include "common/dialogos.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "device/bluetooth.h"
#include "diagnosis/diagvexlin.h"
#include "diagnosis/tovraconexao.h"
#include "sim/bluetooth_sim.h"
#include "sim/loopback.h"
#include "sim/simvexlin.h"
#include "tests/support/gravador_dialogos.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

// The device list a screen would show: records what it offers and when it closes.
class ListaTeste : public IListaDispositivosBT {
 public:
  ListaTeste(QStringList& mostradas, int& fechadas) : FMostradas(mostradas), FFechadas(fechadas) {}
  void ListarPortas(const QList<TClass_BTVexlin>& l) override {
    QStringList n;
    for (const auto& d : l) n << d.Name;
    FNomes = n.join(",");
  }
  void Mostra() override { FMostradas << FNomes; }
  void Fecha() override { ++FFechadas; }

 private:
  QStringList& FMostradas;
  int& FFechadas;
  QString FNomes;
};

class Conexao : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    Pastas::CriaPastas();
    DefineConfLocal(std::make_unique<TClass_JsonIni>());
    TDebug::DefineAtivo(true);
    TDialogos::Reinicia();
    TDialogos::DefineApresentador(&dialogos);
    serial = std::make_shared<sim::TClassSimVexlin>();
    c = std::make_unique<TClassTovraConexao>();
    c->AguardaMs = [this](int ms) { esperas << ms; };
    c->EventConnectionFinished = [this](bool v) { resultados << v; };
    c->DefineFabricaDiag([this](const QString& path) {
      ++sessoesCriadas;
      auto lb = std::make_unique<sim::TClassLoopbackSim>(*serial);
      lb->Portas = portas;
      auto s = std::make_unique<TClassDiagVexlin>(path, std::move(lb));
      auto backend = std::make_unique<sim::TClassBluetoothSim>();
      bt = backend.get();
      bt->Ligado = btLigado;
      for (const auto& d : dispositivosBT) bt->Adiciona(d);
      auto lib = std::make_unique<TClass_BluetoothLib>(std::move(backend));
      lib->Relogio = [this] { return agora; };
      lib->Espera = [this](int ms) { agora += ms; };
      s->Vexlin().Conexao().TrocaBluetooth(std::move(lib));
      return s;
    });
    c->DefineFabricaListaBT([this](const TEventosListaBT& ev) {
      eventosLista = ev;
      return MakeLista();
    });
  }
  void TearDown() override {
    c.reset();
    serial.reset();
    TDialogos::DefineApresentador(nullptr);
    TDialogos::Reinicia();
    DefineConfLocal(nullptr);
    TDebug::DefineAtivo(false);
    DocumentsFixture::TearDown();
  }
  std::unique_ptr<IListaDispositivosBT> MakeLista();

  sim::TSimDispositivoBT Disp(const QString& nome, bool pareado, int tipoModelo = 5) {
    sim::TSimDispositivoBT d;
    d.Nome = nome;
    d.Servicos = {"SerialPort"};
    d.Pareado = pareado;
    sim::TSimCenario cen;
    cen.identidade.tipoModelo = tipoModelo;
    cen.identidade.numeroSerie = "VX-000777";
    d.Modelo = std::make_shared<sim::TClassSimVexlin>(cen);
    return d;
  }
  void Lembra(const QString& tipo, const QString& porta, const QString& nome = {}) {
    EscreveConfString(conf::kEquipamento, conf::kTipoConexao, tipo);
    EscreveConfString(conf::kEquipamento, conf::kPortaUsb, porta);
    EscreveConfString(conf::kEquipamento, conf::kDeviceName, nome);
  }
  static QString Conf(const char* chave) { return LeConfString(conf::kEquipamento, chave); }

  // Runs the event loop until p holds (generous bound; the loopback needs no real time).
  template <typename P>
  bool Ate(P p, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!p() && t.elapsed() < ms) {
      QCoreApplication::processEvents();
      QThread::msleep(1);
    }
    return p();
  }
  // The attempt's one result; later ones would show up during the extra loop.
  bool Resultado() {
    EXPECT_TRUE(Ate([this] { return !resultados.isEmpty(); })) << "no result";
    const int extra = c->IntervaloTimerMs() * 4;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < extra) QCoreApplication::processEvents();
    EXPECT_EQ(resultados.size(), 1) << "one attempt, one result";
    EXPECT_FALSE(c->EmTentativa());
    return !resultados.isEmpty() && resultados.first();
  }
  // Ends the discovery the manager started.
  void ConcluiDescoberta() {
    ASSERT_TRUE(Ate([this] { return bt && bt->DescobertaPendente(); }));
    bt->ConcluiDescoberta();
  }
  bool MensagemCom(const QString& texto) const {
    return TDialogos::MensagemVisivel() && TDialogos::MensagemAtual().FTexto == TDialogos::TextoMensagem(texto);
  }
  bool Escreveu(const QString& linha) const {
    for (const QString& l : TDebug::Linhas())
      if (l.mid(l.indexOf(": ") + 2) == linha) return true;
    return false;
  }
  void EsperaFalhaLimpa() {
    for (const char* k : {conf::kTipoConexao, conf::kPortaUsb, conf::kDeviceName, conf::kNrSerie})
      EXPECT_EQ(Conf(k), "") << k;
    EXPECT_EQ(c->Diag(), nullptr);
    EXPECT_EQ(DiagVexlin(), nullptr);
  }

  test::TGravadorDialogos dialogos;
  std::shared_ptr<sim::TClassSimVexlin> serial;
  std::unique_ptr<TClassTovraConexao> c;
  QStringList portas{"/dev/ttyUSB0"};
  QList<sim::TSimDispositivoBT> dispositivosBT;
  bool btLigado = true;
  sim::TClassBluetoothSim* bt = nullptr;
  qint64 agora = 0;
  QList<int> esperas;
  QList<bool> resultados;
  int sessoesCriadas = 0;
  TEventosListaBT eventosLista;
  QStringList listaMostrada;  // names offered each time the list was filled, joined by ","
  int listasFechadas = 0;
};

std::unique_ptr<IListaDispositivosBT> Conexao::MakeLista() {
  return std::make_unique<ListaTeste>(listaMostrada, listasFechadas);
}

// ------------------------------------------------------------------ serial

TEST_F(Conexao, PortaLembradaConectaGravaConfiguracaoEInformacoes) {
  Lembra("USB", "/dev/ttyUSB0");
  c->Conecta();
  ASSERT_TRUE(Resultado()) << c->LastError().toStdString();
  EXPECT_EQ(c->LastError(), "");
  EXPECT_EQ(Conf(conf::kTipoConexao), "USB");
  EXPECT_EQ(Conf(conf::kPortaUsb), "/dev/ttyUSB0");
  EXPECT_EQ(Conf(conf::kNrSerie), "5000001");  // the digits of "VX5-000001"
  EXPECT_EQ(InfoEquipamento().NrSerie, 5000001u);
  ASSERT_NE(c->Diag(), nullptr);
  EXPECT_EQ(DiagVexlin(), c->Diag());
  EXPECT_TRUE(c->Diag()->Vexlin().Conectado());
#ifdef NDEBUG
  const QString compilacao = U("Compilação: Release");
#else
  const QString compilacao = U("Compilação: Debug");
#endif
  EXPECT_EQ(TDebug::Info(),
            (QStringList{"NrSerie: 5000001", "SP: 3", "Firmware: " + InfoEquipamento().Firmware,
                         QString("Tovra: ") + TOVRA_VERSION_TEXT, "Tipo Equip: Quadrel2", U("Tipo Conexão: tcUSB"),
                         "SO: LINUX", compilacao, U("Rodando: Versão Produção")}));
  EXPECT_FALSE(InfoEquipamento().Firmware.isEmpty());
  EXPECT_TRUE(dialogos.eventos.contains("status:" + TDialogos::TextoMensagem("LocalizandoEquipamento")));
  EXPECT_TRUE(dialogos.eventos.contains("status:" + TDialogos::TextoMensagem("VerificandoInfo")));
  EXPECT_FALSE(TDialogos::StatusVisivel());  // closed with the result
}

TEST_F(Conexao, ModoDeTesteApareceNasInformacoes) {
  QDir().mkpath(Base() + "homolog");
  Pastas::Inicializa();
  ASSERT_TRUE(Pastas::ModoTeste());
  c->Conecta();
  ASSERT_TRUE(Resultado());
  ASSERT_FALSE(TDebug::Info().isEmpty());
  EXPECT_EQ(TDebug::Info().last(), U("Rodando: Em Homologação"));
}

TEST_F(Conexao, PortaLembradaSumiuProcuraNasOutras) {
  Lembra("USB", "/dev/ttyUSB0");
  portas = {"/dev/ttyACM3"};
  c->Conecta();
  ASSERT_TRUE(Resultado());
  EXPECT_EQ(Conf(conf::kPortaUsb), "/dev/ttyACM3");
}

TEST_F(Conexao, NadaLembradoProcuraEmTodasAsPortas) {
  c->Conecta();
  ASSERT_TRUE(Resultado());
  EXPECT_EQ(Conf(conf::kTipoConexao), "USB");
  EXPECT_TRUE(Escreveu("gDiag nulo"));
}

TEST_F(Conexao, JaConectadoRespondeSemProcurarNemTocarConfiguracao) {
  c->Conecta();
  ASSERT_TRUE(Resultado());
  resultados.clear();
  EscreveConfString(conf::kEquipamento, conf::kPortaUsb, "marca");
  const int frames = serial->FramesRecebidos.size();
  c->Conecta();
  ASSERT_TRUE(Resultado());
  EXPECT_EQ(sessoesCriadas, 1);
  EXPECT_EQ(Conf(conf::kPortaUsb), "marca");
  EXPECT_TRUE(Escreveu(U("Equipamento já conectado")));
  QStringList ops;
  for (int i = frames; i < serial->FramesRecebidos.size(); ++i) ops << FromBytes(serial->FramesRecebidos[i].mid(1, 1));
  EXPECT_EQ(ops, (QStringList{"80", "74"}));  // the probe and the reset only
}

TEST_F(Conexao, ConectadoQueNaoRespondeRecriaASessao) {
  c->Conecta();
  ASSERT_TRUE(Resultado());
  resultados.clear();
  serial->Cenario().falhas.silencio = true;  // the probe goes unanswered
  // The new session talks to the same simulator: it answers again once the old session is gone.
  c->AguardaMs = [this](int ms) {
    esperas << ms;
    serial->Cenario().falhas.silencio = false;
  };
  c->Conecta();
  ASSERT_TRUE(Resultado());
  EXPECT_EQ(esperas, QList<int>{6000});
  EXPECT_EQ(sessoesCriadas, 2);
  EXPECT_TRUE(Escreveu(U("Equipamento não respondeu")));
  EXPECT_TRUE(dialogos.eventos.contains("status:Reconectando. Aguarde..."));
}

TEST_F(Conexao, SemPortaPerguntaBluetoothENaoCancela) {
  portas = {};
  c->Conecta();
  ASSERT_TRUE(Ate([this] { return MensagemCom("TentarBluetooth"); }));
  EXPECT_EQ(TDialogos::MensagemAtual().FTitulo, TDialogos::TituloMensagem("Confirmacao"));
  EXPECT_EQ(TDialogos::MensagemAtual().FModo, TModoMensagem::mmOkCancel);
  TDialogos::PressionaCancel();
  EXPECT_FALSE(Resultado());
  EXPECT_EQ(c->LastError(), U("Conexão cancelada"));
  EsperaFalhaLimpa();
}

TEST_F(Conexao, NumeroDeSerieZeroFalhaEEsqueceOLink) {
  serial->Cenario().identidade.numeroSerie = "VX-000000";
  Lembra("USB", "/dev/ttyUSB0", "BT-antigo");
  EscreveConfString(conf::kEquipamento, conf::kNrSerie, "123");
  c->Conecta();
  EXPECT_FALSE(Resultado());
  EXPECT_EQ(c->LastError(), U("Não foi possível obter número de série do equipamento."));
  // The buffered log went to the dump named after the failure.
  const QStringList dumps = QDir(Pastas::Logs()).entryList({"*_SalvaInfoConfLocal_NrSerie.dbg"});
  ASSERT_EQ(dumps.size(), 1);
  EXPECT_TRUE(ReadAll(Pastas::Logs() + dumps[0]).contains("NrSerie Zerado"));
  EsperaFalhaLimpa();
}

TEST_F(Conexao, ModeloIncompativelMostraODialogoEFalha) {
  for (int tipo : {3, 6}) {
    SCOPED_TRACE(tipo);
    resultados.clear();
    serial->Cenario().identidade.tipoModelo = tipo;
    c->Conecta();
    ASSERT_TRUE(Ate([this] { return MensagemCom("TipoIncompativel"); }));
    EXPECT_EQ(TDialogos::MensagemAtual().FTitulo, TDialogos::TituloMensagem("ScannerIncompativel"));
    EXPECT_TRUE(resultados.isEmpty());  // the answer ends the attempt
    TDialogos::PressionaOk();
    EXPECT_FALSE(Resultado());
    EsperaFalhaLimpa();
  }
}

TEST(ConexaoModelos, Suportados) {
  const QList<int> sim{4, 5, 7, 8, 9, 10, 11};
  for (int t = -1; t <= 13; ++t) EXPECT_EQ(EquipamentoSuportado(t), sim.contains(t)) << t;
}

TEST_F(Conexao, TipoDeConexaoDesconhecidoTerminaComFalha) {
  Lembra("SERIAL", "/dev/ttyUSB0");
  c->Conecta();
  EXPECT_FALSE(Resultado());
  EsperaFalhaLimpa();
}

// ------------------------------------------------------------------ Bluetooth

TEST_F(Conexao, BluetoothLembradoConectaSemMostrarALista) {
  dispositivosBT = {Disp("BT-00001", true), Disp("BT-00002", true)};
  Lembra("BLUETOOTH", "", "BT-00002");
  c->Conecta();
  ConcluiDescoberta();
  ASSERT_TRUE(Resultado()) << c->LastError().toStdString();
  EXPECT_TRUE(listaMostrada.isEmpty());
  EXPECT_EQ(Conf(conf::kDeviceName), "BT-00002");
  EXPECT_EQ(Conf(conf::kTipoConexao), "BLUETOOTH");
  EXPECT_EQ(Conf(conf::kNrSerie), "777");
  EXPECT_TRUE(TDebug::Info().contains(U("Tipo Conexão: tcBluetooth")));
  EXPECT_TRUE(Escreveu(U("Tentanto conexão com últ testado: BT-00002")));
  EXPECT_TRUE(Escreveu("Encontrou dispositivo. Indice: 1"));
  EXPECT_TRUE(dialogos.eventos.contains(U("status:Tentando conexão com : BT-00002")));
}

TEST_F(Conexao, BluetoothUnicoDispositivoConectaDireto) {
  dispositivosBT = {Disp("BT-00009", true)};
  Lembra("BLUETOOTH", "", "BT-outro");
  c->Conecta();
  ConcluiDescoberta();
  ASSERT_TRUE(Resultado());
  EXPECT_TRUE(listaMostrada.isEmpty());
  EXPECT_EQ(Conf(conf::kDeviceName), "BT-00009");
}

TEST_F(Conexao, DescobertaEEscolhaNaLista) {
  portas = {};
  dispositivosBT = {Disp("BT-00001", true), Disp("BT-00002", false)};
  c->Conecta();
  ASSERT_TRUE(Ate([this] { return MensagemCom("TentarBluetooth"); }));
  TDialogos::PressionaOk();
  ConcluiDescoberta();
  ASSERT_TRUE(Ate([this] { return !listaMostrada.isEmpty(); }));
  EXPECT_EQ(listaMostrada, QStringList{"BT-00001,BT-00002"});
  // Reload: a new discovery fills the same list again.
  eventosLista.FEventReload();
  ConcluiDescoberta();
  ASSERT_TRUE(Ate([this] { return listaMostrada.size() == 2; }));
  eventosLista.FEventSelected("BT-00002");  // not paired yet: pairs, then connects
  EXPECT_EQ(listasFechadas, 1);
  EXPECT_TRUE(resultados.isEmpty());  // the connect runs after the list's handler returned
  ASSERT_TRUE(Resultado()) << c->LastError().toStdString();
  EXPECT_EQ(c->DeviceSelected(), "BT-00002");
  EXPECT_EQ(Conf(conf::kDeviceName), "BT-00002");
  EXPECT_EQ(bt->PedidosPareamento, 1);
}

TEST_F(Conexao, PareamentoQueNaoTerminaFalha) {
  const struct {
    sim::TSimPareamento pareamento;
    const char* erro;
  } casos[] = {
      {sim::TSimPareamento::Recusa, "Ex - Ao conectar BT: O pareamento com o device BT-00005 foi recusado."},
      {sim::TSimPareamento::SemResposta, "Ex - Ao conectar BT: O pareamento com o device BT-00005 não foi concluído"},
  };
  for (const auto& k : casos) {
    SCOPED_TRACE(k.erro);
    resultados.clear();
    auto d = Disp("BT-00005", false);
    d.Pareamento = k.pareamento;
    dispositivosBT = {d, Disp("BT-00006", false)};
    Lembra("BLUETOOTH", "", "");
    const int mostradas = listaMostrada.size();
    c->Conecta();
    ConcluiDescoberta();
    ASSERT_TRUE(Ate([&] { return listaMostrada.size() == mostradas + 1; }));
    eventosLista.FEventSelected("BT-00005");
    EXPECT_FALSE(Resultado());
    EXPECT_TRUE(c->LastError().startsWith(U(k.erro))) << c->LastError().toStdString();
    EsperaFalhaLimpa();
  }
}

TEST_F(Conexao, FecharAListaCancela) {
  dispositivosBT = {Disp("BT-00001", true), Disp("BT-00002", true)};
  Lembra("BLUETOOTH", "", "");
  c->Conecta();
  ConcluiDescoberta();
  ASSERT_TRUE(Ate([this] { return !listaMostrada.isEmpty(); }));
  eventosLista.FEventClose();
  EXPECT_FALSE(Resultado());
  EXPECT_EQ(c->LastError(), U("Operação cancelada"));
  EsperaFalhaLimpa();
}

TEST_F(Conexao, ConectarSemErroESemLinkFalhaUmaVez) {
  // The service read fails: the link returns quietly without a socket.
  auto d = Disp("BT-00003", true);
  d.FalhaLeituraServicos = true;
  dispositivosBT = {d};
  Lembra("BLUETOOTH", "", "BT-00003");
  c->Conecta();
  ConcluiDescoberta();
  EXPECT_FALSE(Resultado());
  EXPECT_TRUE(c->LastError().startsWith("Ex - Ao conectar BT:")) << c->LastError().toStdString();
  EsperaFalhaLimpa();
}

TEST_F(Conexao, FalhasDoBluetoothAntesDaConexao) {
  struct Caso {
    const char* nome;
    bool ligado;
    QList<sim::TSimDispositivoBT> disps;
    const char* titulo;
    const char* texto;
  };
  const QList<Caso> casos{{"desligado", false, {}, "BTDesligado", "AtiveBluetooth"},
                          {"nenhum", true, {}, "Atencao", "NenhumDispositivo"}};
  for (const Caso& k : casos) {
    SCOPED_TRACE(k.nome);
    resultados.clear();
    btLigado = k.ligado;
    dispositivosBT = k.disps;
    Lembra("BLUETOOTH", "", "BT-00001");
    c->Conecta();
    if (k.ligado) ConcluiDescoberta();
    ASSERT_TRUE(Ate([&] { return MensagemCom(k.texto); }));
    EXPECT_EQ(TDialogos::MensagemAtual().FTitulo, TDialogos::TituloMensagem(k.titulo));
    TDialogos::PressionaOk();
    EXPECT_FALSE(Resultado());
    EsperaFalhaLimpa();
  }
}

TEST_F(Conexao, PerdaDeComunicacaoDuranteATentativaFalhaUmaVez) {
  c->Conecta();
  ASSERT_TRUE(Resultado());
  resultados.clear();
  // A loss reported outside an attempt is the screens' business.
  c->Diag()->Vexlin().Event_PerdaComunicacao();
  QCoreApplication::processEvents();
  EXPECT_TRUE(resultados.isEmpty());
  // During an attempt it ends it, once, even when the device keeps failing.
  portas = {};
  Lembra("", "");
  c->DestroyDiag();
  c->Conecta();
  ASSERT_TRUE(Ate([this] { return MensagemCom("TentarBluetooth"); })) << dialogos.eventos.join("\n").toStdString() << resultados.size();
  ASSERT_TRUE(resultados.isEmpty()) << dialogos.eventos.join("\n").toStdString();
  c->Diag()->Vexlin().Event_PerdaComunicacao();
  c->Diag()->Vexlin().Event_PerdaComunicacao();
  EXPECT_FALSE(Resultado());
  EXPECT_EQ(c->LastError(), "Falha desconhecida");
}

}  // namespace
}  // namespace tovra
