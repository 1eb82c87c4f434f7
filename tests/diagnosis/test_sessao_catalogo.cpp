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
    TGruposAssociacao g;
    ASSERT_TRUE(cat.GruposAssociacao(kModelo, kSistema, g));
    CarregaListaFalhas(cat, g, s->ListaFalhasDTB());
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

}  // namespace
}  // namespace tovra
