// The session against the in-process simulator holding a demo system's script, with
// the demo catalogue: faults of every frame layout travel from the request to what
// the fault view shows.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include "catalogue/controller.h"
#include "catalogue/dmtovra.h"
#include "common/pastas.h"
#include "diagnosis/carga_catalogo.h"
#include "diagnosis/diagvexlin.h"
#include "diagnosis/flx.h"
#include "sim/loopback.h"
#include "sim/simvexlin.h"
#include "device/hexa.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

constexpr qint64 kModelo = 2001;
constexpr qint64 kSistema = 102;
constexpr int kModeloFlx = 7;

class SessaoCatalogo : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    Pastas::CriaPastas();
    const QString demo = test::BinaryDir() + "/data/demo/";
    ASSERT_TRUE(QFile::exists(demo + "Tovra.s3db")) << "the build makes the demo catalogue";
    QFile::copy(demo + "Tovra.s3db", Pastas::Files() + "Tovra.s3db");
    QFile::copy(demo + "conf.json", Pastas::Files() + "conf.json");
    ASSERT_TRUE(dm.IniciaDataModule(Pastas::Files(), "conf.json"));
    // The system's script as the release publishes it.
    const QStringList zips = QDir(demo + "release/files/zips").entryList({"00102_*.zip"});
    ASSERT_EQ(zips.size(), 1);
    ExtraiZip(demo + "release/files/zips/" + zips[0], Documents() + "script/", false);
    script = ReadAll(Documents() + "script/00102.flx");
    ASSERT_FALSE(script.isEmpty());
  }
  void TearDown() override {
    s.reset();
    FSim.reset();
    dm.EncerraDataModule();
    DocumentsFixture::TearDown();
  }
  void Abre(const QString& layout) {
    s.reset();
    sim::TSimCenario c;
    c.dispositivo.layoutFalhas = layout;
    FSim = std::make_unique<sim::TClassSimVexlin>(std::move(c));
    FSim->Dispositivo().GravaArquivo("00102.flx", script);
    s = std::make_unique<TClassDiagVexlin>(Pastas::Logs(), std::make_unique<sim::TClassLoopbackSim>(*FSim));
    s->Vexlin().Conectar("/dev/ttyUSB0", TTypeConexao::tcUSB);
    TCatalogo cat(dm);
    ASSERT_TRUE(s->CarregaListas(cat, kModelo, kSistema));
    ASSERT_FALSE(s->ListaFalhasDTB().IsEmpty());
    TClass_Vexlin& v = s->Vexlin();
    v.IniciaNovoDiagnostico();
    ASSERT_TRUE(v.CarregarFLX(static_cast<int>(kSistema)));
    v.ProgramarModeloFLX(kModeloFlx);
    v.InicioComunicacao();
    ASSERT_TRUE(Ate([&] { return v.ProtocoloAtivo() == TTypeStatusProtocolo::protAtivo; }));
  }
  template <typename P>
  bool Ate(P p) {
    QElapsedTimer t;
    t.start();
    QString erro;
    while (!p() && t.elapsed() < 3000) s->Vexlin().FazerLeitura(erro);
    return p();
  }
  // The faults as the fault view shows them: "code|description|status|message".
  QStringList Mostradas() {
    TCatalogo cat(dm);
    const TTextosFalha textos = TextosFalhaDoCatalogo(cat);
    QStringList r;
    for (const TClassFalha& f : s->ListaFalhas()) {
      const TFalhaResolvida x = ResolveFalha(f, s->ListaFalhasDTB(), textos);
      r << x.codigo + "|" + x.descricao + "|" + x.status + "|" + x.msgAdicional;
    }
    return r;
  }

  TDmTovra dm;
  QByteArray script;
  std::unique_ptr<sim::TClassSimVexlin> FSim;
  std::unique_ptr<TClassDiagVexlin> s;
};

TEST_F(SessaoCatalogo, FaultsOfEveryLayoutReachTheFaultView) {
  std::map<QString, QStringList> porLayout;
  for (const char* layout : {"16", "17", "32", "34", "36"}) {
    Abre(layout);
    bool fim = false;
    s->Vexlin().Event_FalhaRecebida = [&] { fim = true; };
    s->SolicitaFalhas();
    ASSERT_TRUE(Ate([&] { return fim; })) << layout;
    ASSERT_FALSE(s->ListaFalhas().IsEmpty()) << layout;
    porLayout[layout] = Mostradas();
    for (const QString& m : porLayout[layout]) {
      const QStringList p = m.split('|');
      EXPECT_FALSE(p[0].isEmpty()) << layout << " " << m.toStdString();
      EXPECT_FALSE(p[1].isEmpty()) << layout << " " << m.toStdString();
    }
    // Erasing empties the list; the next request reports nothing.
    bool apagadas = false;
    s->Vexlin().Event_FalhasApagadas = [&] { apagadas = true; };
    s->ApagaFalhas();
    EXPECT_TRUE(s->ListaFalhas().IsEmpty());
    EXPECT_TRUE(Ate([&] { return apagadas; })) << layout;
    fim = false;
    s->SolicitaFalhas();
    EXPECT_TRUE(Ate([&] { return fim; })) << layout;
    EXPECT_TRUE(s->ListaFalhas().IsEmpty()) << layout;
  }
  // The association's faults, in the catalogue's words, whatever layout carried them.
  const QStringList conhecidas{"P0105|Sensor MAP - circuito (versão anterior)|Falha presente",
                               "P0120|Sensor de posição da borboleta - circuito (versão anterior)|Falha memorizada"};
  for (const char* layout : {"16", "17", "32", "36"}) {
    QStringList achadas;
    for (const QString& m : porLayout[layout])
      if (!m.contains("|CodigoReservado|")) achadas << m.section('|', 0, 2);
    EXPECT_EQ(achadas, conhecidas) << layout << ": " << porLayout[layout].join(" ; ").toStdString();
  }
  // A fault of the script that is not in this association's groups shows as reserved.
  EXPECT_TRUE(porLayout["16"].contains("100|CodigoReservado||"));
  EXPECT_TRUE(porLayout["36"].contains("C8|CodigoReservado||"));
  // The reserved old layout is never looked up: its code keeps its leading zeros.
  EXPECT_EQ(porLayout["34"], (QStringList{"0105|CodigoReservado||", "0120|CodigoReservado||", "0100|CodigoReservado||"}));
}

// Opcode and data of the frames the device received since n.
// (The program's acknowledgements of the device's own frames, 0x55, are left out.)
QStringList Depois(const sim::TClassSimVexlin& sim, int n) {
  QStringList r;
  for (int i = n; i < sim.FramesRecebidos.size(); ++i) {
    const QString op = FromBytes(sim.FramesRecebidos[i].mid(1, 1));
    if (op != "55") r << op;
  }
  return r;
}

TEST_F(SessaoCatalogo, OpeningASystemFillsTheLists) {
  Abre("16");
  EXPECT_FALSE(s->ParametrosSVG().IsEmpty());
  EXPECT_FALSE(s->ListaAtuadores().IsEmpty());
  EXPECT_FALSE(s->ListaAjustes().IsEmpty());
  TCatalogo cat(dm);
  EXPECT_FALSE(s->CarregaListas(cat, 999999, kSistema));
}

TEST_F(SessaoCatalogo, TestSequencesAsTheDeviceSeesThem) {
  Abre("16");
  struct Familia {
    bool ajuste;
    const char* configura;
    const char* inicia;
    const char* finaliza;
  };
  for (const Familia& f : {Familia{false, "20", "21", "24"}, Familia{true, "27", "28", "2B"}}) {
    TListaAtuadoresAjustes& lista = f.ajuste ? s->ListaAjustes() : s->ListaAtuadores();
    for (TClassAtuadorAjuste& t : lista) {
      if (t.FID < 0) continue;
      f.ajuste ? s->SetAjuste(t.FID) : s->SetAtuador(t.FID);
      int n = FSim->FramesRecebidos.size();
      ASSERT_TRUE(f.ajuste ? s->ComandosIniciaAjuste() : s->ComandosIniciaAtuador()) << t.FID;
      // Clear the parameters, configure the test, each watched parameter, start
      // when the test starts running at once, then the stream when it watches any.
      QStringList esperado{"36", f.configura};
      for (int i = 0; i < t.FListaParam.Count(); ++i) esperado << "30";
      if (t.FIniciaExecutando == 1) esperado << f.inicia;
      if (t.TemParam()) esperado << "31";
      EXPECT_EQ(Depois(*FSim, n), esperado) << (f.ajuste ? "adjustment " : "actuator ") << t.FID;
      EXPECT_EQ(t.FIniciado, t.FIniciaExecutando == 1) << t.FID;
      // Finishing: stop the stream, finish the test, clear the parameters.
      n = FSim->FramesRecebidos.size();
      f.ajuste ? s->FinalizaAjuste() : s->FinalizaAtuador();
      QStringList fim;
      if (t.TemParam()) fim << "32";
      fim << f.finaliza;
      if (t.TemParam()) fim << "36";
      EXPECT_EQ(Depois(*FSim, n), fim) << t.FID;
      s->AtuadorAjusteFinalizado();
      EXPECT_EQ(s->AtuadorEmUso(), nullptr);
    }
  }
}

TEST_F(SessaoCatalogo, TheStreamUpdatesVisibleParametersOnly) {
  Abre("16");
  // List parameters that are no graph parameter too (those are looked up first).
  std::vector<TClassParametro*> soLista;
  for (TClassParametro& p : s->ParametrosSVG())
    if (!s->GetParamCVG(p.FID)) soLista.push_back(&p);
  ASSERT_GE(soLista.size(), 2u);
  TClassParametro& visivel = *soLista[0];
  TClassParametro& oculto = *soLista[1];
  visivel.FVisible = true;
  const int n = FSim->FramesRecebidos.size();
  ASSERT_TRUE(s->IniciarContinuoVisible({static_cast<int>(visivel.FID), static_cast<int>(oculto.FID)}));
  EXPECT_EQ(Depois(*FSim, n), (QStringList{"32", "36", "30", "30", "31"}));
  ASSERT_TRUE(Ate([&] { return !visivel.Value().isEmpty(); }));
  EXPECT_NE(oculto.Formato(), 0) << "a hidden parameter still learns its format";
  // Later passes move the visible value and leave the hidden one as it was.
  const QString v1 = visivel.Value(), o1 = oculto.Value();
  EXPECT_TRUE(Ate([&] { return visivel.Value() != v1; }));
  EXPECT_EQ(oculto.Value(), o1);
  s->FinalizaContinuo();
}

}  // namespace
}  // namespace tovra
