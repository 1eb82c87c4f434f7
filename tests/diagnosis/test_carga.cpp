// The session's lists filled from the demo catalogue.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "catalogue/carga_sql.h"
#include "diagnosis/carga_catalogo.h"
#include "tests/support/testsupport.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tovra::test {
namespace {

class CargaTest : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    QString fonte = SourceDir();
    if (fonte.isEmpty()) fonte = QString::fromUtf8(TOVRA_TEST_SOURCE_DIR);
    const QString pasta = Documents() + "files/";
    QString erro;
    ASSERT_TRUE(MontaBancoDeSql(fonte + "/data/demo/", pasta, erro)) << erro.toStdString();
    ASSERT_TRUE(FDm.IniciaDataModule(pasta, "conf.json"));
    FCat = std::make_unique<TCatalogo>(FDm);
    FCat->DefineModoTeste(false);
  }
  TDmTovra FDm;
  std::unique_ptr<TCatalogo> FCat;
};

TEST_F(CargaTest, ASystemOpensWithItsFaultsParametersAndTests) {
  // GOL G5 1.0 with the Bosch ME7.5.10 engine system.
  TGruposAssociacao g;
  ASSERT_TRUE(FCat->GruposAssociacao(1001, 101, g));
  TListaFalhasDTB falhas;
  CarregaListaFalhas(*FCat, g, falhas);
  ASSERT_GT(falhas.Count(), 9);
  EXPECT_EQ(FCat->QtdFalhas(1001, 101), falhas.Count());
  for (int i = 1; i < falhas.Count(); ++i) EXPECT_LE(falhas[i - 1].FFalhaPC, falhas[i].FFalhaPC);

  TListaParametros lista;
  CarregaListaParametros(*FCat, 1001, 101, lista);
  ASSERT_FALSE(lista.IsEmpty());
  for (const TClassParametro& p : lista) EXPECT_NE(p.FCategoriaStr, "VGC");
  TClassParametro* rpm = lista.GetParamByID(1001);
  ASSERT_NE(rpm, nullptr);
  EXPECT_EQ(rpm->Unidade().Titulo(), "rpm");
  TListaParametrosVG vg;
  CarregaListaParametrosVG(*FCat, 1001, 101, vg);
  ASSERT_FALSE(vg.IsEmpty());
  EXPECT_TRUE(vg[0].FVisualGraph);
  EXPECT_EQ(FCat->QtdParametros(1001, 101), 14 + 5 + 5);

  TListaAtuadoresAjustes atu, aju;
  CarregaListaAtuadores(*FCat, g, atu);
  CarregaListaAjustes(*FCat, g, aju);
  ASSERT_FALSE(atu.IsEmpty());
  EXPECT_EQ(atu.Count(), FCat->QtdAtuadores(1001, 101));
  EXPECT_EQ(aju.Count(), FCat->QtdAjustes(1001, 101));
  TClassAtuadorAjuste* inj = atu.GetByID(6);
  ASSERT_NE(inj, nullptr);
  EXPECT_TRUE(inj->TemParam());
  EXPECT_NE(inj->GetParamByID(1007), nullptr);

  // A fault the vehicle reports by its catalogue number resolves to its text.
  TClassFalha f;
  f.FTipoFalha = TTipoFalha::tfOldConhecido;
  f.FFalhaHexa = "85";
  f.FPaginaFalha = 1;
  TTextosFalha textos = TextosFalhaDoCatalogo(*FCat);
  const TFalhaResolvida r = ResolveFalha(f, falhas, textos);
  ASSERT_NE(r.catalogo, nullptr);
  EXPECT_EQ(r.catalogo->FScannerID, 133u);
  EXPECT_EQ(r.status, "Falha presente");
}

TEST_F(CargaTest, QuestionsOfSystem525) {
  TObjectList<TClassInfoAdicional> info;
  CarregaInfoAdicional(*FCat, "PT", 8001, 525, info);
  ASSERT_EQ(info.Count(), 2);
  EXPECT_EQ(info[0].FTexto, "Quantas marchas possui a transmissão?");
  EXPECT_EQ(info[0].FBtn1Texto, "12 marchas");
}

}  // namespace
}  // namespace tovra::test
