// The data module: connection, alignment of the tables with "conf.json", queries,
// transactions and the catalogue's version.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "catalogue/dmtovra.h"
#include "tests/catalogue/catalogo_teste.h"
#include "tests/support/testsupport.h"

namespace tovra::test {
namespace {

class DmTovraTest : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    FPasta = Documents() + "files/";
    QDir().mkpath(FPasta);
  }
  void Descricao(const std::vector<TTabelaTeste>& t) { WriteAll(FPasta + "conf.json", ConfJson(t)); }
  // A fresh data module on the folder (the previous one is closed first).
  TDmTovra& Abre() {
    FDm.reset();
    FDm = std::make_unique<TDmTovra>();
    EXPECT_TRUE(FDm->IniciaDataModule(FPasta, "conf.json"));
    return *FDm;
  }
  QString CreateGuardado(const QString& tabela) {
    auto q = FDm->Search("SELECT SQL FROM sqlite_master WHERE TYPE='table' AND NAME=?", {tabela});
    return q->IsEmpty() ? QString() : q->Field(0).AsString();
  }
  qint64 Linhas(const QString& tabela) { return FDm->Search("SELECT COUNT(*) FROM " + tabela)->Field(0).AsInteger(); }

  QString FPasta;
  std::unique_ptr<TDmTovra> FDm;
};

const std::vector<TTabelaTeste> kTres = {
    {"Montadoras", {{"ID_MONTADORA", "ftInteger", 0, true}, {"NOME_MONTADORA_PT", "ftString", 100}, {"ICONE", "ftInteger"}}},
    {"siglas_sistema", {{"ID_SIGLA", "ftString", 2, true}, {"TITULO_PT", "ftString", 100}}},
    {"VISUALGRAPH", {{"ID_GRUPO_VISUALGRAPH", "ftInteger"}, {"ID_PARAMETRO", "ftInteger"}, {"LIMITE_INFERIOR", "ftFloat"}}},
};

TEST_F(DmTovraTest, WithoutDescriptionFileItAnswersFalseAndDoesNotConnect) {
  TDmTovra dm;
  EXPECT_FALSE(dm.IniciaDataModule(FPasta, "conf.json"));
  EXPECT_FALSE(dm.Conectado());
  EXPECT_FALSE(QFile::exists(FPasta + "Tovra.s3db"));
}

TEST_F(DmTovraTest, MissingTablesAreCreatedUpperCasedWithTheDescribedTypes) {
  Descricao(kTres);
  Abre();
  for (const char* t : {"MONTADORAS", "SIGLAS_SISTEMA", "VISUALGRAPH"}) EXPECT_TRUE(FDm->TableExists(t)) << t;
  EXPECT_EQ(CreateGuardado("SIGLAS_SISTEMA"),
            "CREATE TABLE [SIGLAS_SISTEMA] ( [ID_SIGLA] CHAR(2)  PRIMARY KEY  NOT NULL , [TITULO_PT] VARCHAR(100)   )");
  EXPECT_TRUE(CreateGuardado("VISUALGRAPH").contains("[LIMITE_INFERIOR] FLOAT"));
}

// Each case: how the table was made before, what the description says now, and
// whether its rows survive the next connection.
struct CasoAlinhamento {
  const char* nome;
  const char* createAntes;
  std::vector<TColunaTeste> descritas;
  bool mantem;
};

void PrintTo(const CasoAlinhamento& c, std::ostream* os) { *os << c.nome; }

class AlinhamentoTest : public DmTovraTest, public ::testing::WithParamInterface<CasoAlinhamento> {};

TEST_P(AlinhamentoTest, TableIsKeptOrRecreated) {
  const CasoAlinhamento& c = GetParam();
  Descricao({{"MODELOS", {{"ID_MODELO", "ftInteger"}}}});
  Abre();
  FDm->Exec("DROP TABLE MODELOS");
  FDm->Exec(c.createAntes);
  FDm->Exec("INSERT INTO MODELOS (ID_MODELO) VALUES (7)");
  Descricao({{"MODELOS", c.descritas}});
  Abre();
  EXPECT_EQ(Linhas("MODELOS"), c.mantem ? 1 : 0);
  if (!c.mantem) {
    for (const auto& col : c.descritas) EXPECT_TRUE(CreateGuardado("MODELOS").contains("[" + col.nome.toUpper() + "]"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, AlinhamentoTest,
    ::testing::Values(
        CasoAlinhamento{"coluna_ausente", "CREATE TABLE MODELOS (ID_MODELO INT)",
                        {{"ID_MODELO", "ftInteger"}, {"NOME_MODELO_PT", "ftString", 50}}, false},
        CasoAlinhamento{"nome_contido_em_outro", "CREATE TABLE MODELOS (ID_MODELO INT)",
                        {{"ID", "ftInteger"}, {"MODELO", "ftInteger"}}, true},
        CasoAlinhamento{"float_sem_FLOAT", "CREATE TABLE MODELOS (ID_MODELO INT, LIMITE INT)",
                        {{"ID_MODELO", "ftInteger"}, {"LIMITE", "ftFloat"}}, false},
        CasoAlinhamento{"mesma_coluna_inteira", "CREATE TABLE MODELOS (ID_MODELO INT, LIMITE INT)",
                        {{"ID_MODELO", "ftInteger"}, {"LIMITE", "ftInteger"}}, true},
        CasoAlinhamento{"nome_em_minusculas", "CREATE TABLE MODELOS (id_modelo int)", {{"Id_Modelo", "ftInteger"}},
                        true}),
    [](const auto& i) { return std::string(i.param.nome); });

TEST_F(DmTovraTest, InvalidDescriptionIsDeletedAndTheConnectionStillWorks) {
  WriteAll(FPasta + "conf.json", "{ isto não é json");
  TDmTovra dm;
  EXPECT_TRUE(dm.IniciaDataModule(FPasta, "conf.json"));
  EXPECT_TRUE(dm.Conectado());
  EXPECT_FALSE(QFile::exists(FPasta + "conf.json"));
  EXPECT_EQ(dm.Search("SELECT 1 + 1")->Field(0).AsInteger(), 2);
}

TEST_F(DmTovraTest, TableExistsIgnoresCaseAndCountsOnlyTables) {
  Descricao({{"registroDeCriacao", {{"id", "ftInteger", 0, true}, {"createDate", "ftDateTime"}}}});
  Abre();
  FDm->Exec("CREATE VIEW VISAO AS SELECT * FROM REGISTRODECRIACAO");
  FDm->Exec("CREATE INDEX INDICE_REG ON REGISTRODECRIACAO (CREATEDATE)");
  EXPECT_TRUE(FDm->TableExists("registroDeCriacao"));
  EXPECT_TRUE(FDm->TableExists("REGISTRODECRIACAO"));
  EXPECT_FALSE(FDm->TableExists("VISAO"));
  EXPECT_FALSE(FDm->TableExists("INDICE_REG"));
  EXPECT_FALSE(FDm->TableExists("x' OR '1'='1"));
}

TEST_F(DmTovraTest, VersionTextFollowsTheCreationTable) {
  Descricao(kTres);
  Abre();
  EXPECT_EQ(TextoVersaoLocal(FDm.get()), "Versão Local: <indefinida>");
  Descricao({{"registroDeCriacao", {{"id", "ftInteger", 0, true}, {"createDate", "ftDateTime"}}}});
  Abre();
  EXPECT_EQ(TextoVersaoLocal(FDm.get()), "Versão Local: exceção ao localizar data");
  FDm->Exec("INSERT INTO registroDeCriacao (id, createDate) VALUES (1, '2025-01-02 03:04:05')");
  FDm->Exec("INSERT INTO registroDeCriacao (id, createDate) VALUES (2, '2026-11-20 14:30:00')");
  EXPECT_EQ(TextoVersaoLocal(FDm.get()), "Versão Local: 20/11/2026 14:30:00");
}

TEST_F(DmTovraTest, HasContentNeedsTheManufacturerTable) {
  Descricao({{"SISTEMAS", {{"ID_SISTEMA", "ftInteger"}}}});
  Abre();
  EXPECT_FALSE(CatalogoTemConteudo(FDm.get()));
  Descricao(kTres);
  Abre();
  EXPECT_TRUE(CatalogoTemConteudo(FDm.get()));
  FDm->EncerraDataModule();
  EXPECT_FALSE(CatalogoTemConteudo(FDm.get()));
}

TEST_F(DmTovraTest, OpenCatalogueWithoutDescriptionGivesTheMessage) {
  TDmTovra dm;
  TDmTovra::DefineInstancia(&dm);
  QString erro;
  EXPECT_FALSE(AbreCatalogo(FPasta, erro));
  EXPECT_EQ(erro, "Arquivo de configuração não encontrado");
  Descricao(kTres);
  EXPECT_TRUE(AbreCatalogo(FPasta, erro));
  TDmTovra::DefineInstancia(nullptr);
}

TEST_F(DmTovraTest, FailedStatementLeavesNoTransactionAndKeepsEarlierRows) {
  Descricao(kTres);
  Abre();
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (1, 'FIAT', 0)");
  FDm->StartTransaction();
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (2, 'FORD', 0)");
  EXPECT_THROW(FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA) VALUES (1)"), EBancoDados);
  EXPECT_FALSE(FDm->InTransaction());
  EXPECT_EQ(Linhas("MONTADORAS"), 1);
  EXPECT_THROW(FDm->Exec("INSERT INTO NADA VALUES (1)", true), EBancoDados);
  EXPECT_FALSE(FDm->InTransaction());
  FDm->Commit();  // nothing open: does nothing
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (3, 'KIA', 0)", true);
  EXPECT_EQ(Linhas("MONTADORAS"), 2);
  // A statement with its own transaction inside the caller's joins it.
  FDm->StartTransaction();
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (4, 'JAC', 0)", true);
  EXPECT_TRUE(FDm->InTransaction());
  FDm->Rollback();
  EXPECT_EQ(Linhas("MONTADORAS"), 2);
}

TEST_F(DmTovraTest, ClosingCommitsAnOpenTransaction) {
  Descricao(kTres);
  Abre();
  FDm->StartTransaction();
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (1, 'FIAT', 0)");
  FDm->EncerraDataModule();
  Abre();
  EXPECT_EQ(Linhas("MONTADORAS"), 1);
}

TEST_F(DmTovraTest, TextsWithQuotesAndAccentsGoInAndOutIntact) {
  Descricao(kTres);
  Abre();
  const QString nome = "D'ÁGUA \"PESADOS\" — ç ã é % _ \\";
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (1, ?, 0)", false, {nome});
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (2, " + SqlTexto(nome) + ", 0)");
  FDm->Exec("INSERT INTO MONTADORAS (ID_MONTADORA, NOME_MONTADORA_PT, ICONE) VALUES (3, 'D''ÁGUA X', 0)");
  auto q = FDm->Search("SELECT NOME_MONTADORA_PT FROM MONTADORAS WHERE ID_MONTADORA IN (1, 2) ORDER BY 1");
  ASSERT_EQ(q->RecordCount(), 2);
  for (q->First(); !q->Eof(); q->Next()) EXPECT_EQ(q->FieldByName("nome_montadora_pt").AsString(), nome);
  // The LIKE helper takes "%" and "_" literally.
  auto l = FDm->Search("SELECT ID_MONTADORA FROM MONTADORAS WHERE NOME_MONTADORA_PT LIKE " + SqlLikeContem("% _ \\") +
                       " ORDER BY 1");
  EXPECT_EQ(l->RecordCount(), 2);
  auto n = FDm->Search("SELECT COUNT(*) FROM MONTADORAS WHERE NOME_MONTADORA_PT LIKE " + SqlLikeContem("'X"));
  EXPECT_EQ(n->Field(0).AsInteger(), 0);
}

TEST_F(DmTovraTest, SearchRefusesStackedStatementsAndReportsSqlErrors) {
  Descricao(kTres);
  Abre();
  EXPECT_THROW(FDm->Search("SELECT 1; DROP TABLE MONTADORAS"), EBancoDados);
  EXPECT_TRUE(FDm->TableExists("MONTADORAS"));
  EXPECT_THROW(FDm->Search("SELECT * FROM NAO_EXISTE"), EBancoDados);
  TQueryRef q;
  FDm->Search(q, "SELECT 5 AS N;  -- fim");
  EXPECT_EQ(q->FieldByName("N").AsInteger(), 5);
  TQuery* antes = q.get();
  FDm->Search(q, "SELECT 6 AS N", true);
  EXPECT_EQ(q->FieldByName("N").AsInteger(), 6);
  (void)antes;
  TDmTovra::DestroyQuery(q);
  EXPECT_EQ(q, nullptr);
}

TEST_F(DmTovraTest, IndexesAreAddedOnceAndDoNotDisturbAlignment) {
  Descricao({{"FALHAS", {{"ID_FALHA", "ftInteger", 0, true}, {"ID_GRUPO_FALHAS", "ftInteger"}}},
             {"ASSOCIACAO_MODELO_SISTEMA", {{"ID_MODELO", "ftInteger"}, {"ID_SISTEMA", "ftInteger"}}}});
  Abre();
  FDm->Exec("INSERT INTO FALHAS VALUES (1, 10)");
  const QStringList indices = FDm->IndicesCriados();
  EXPECT_TRUE(indices.contains("TVX_FALHAS_ID_GRUPO_FALHAS"));
  EXPECT_TRUE(indices.contains("TVX_ASSOCIACAO_MODELO_SISTEMA_ID_MODELO_ID_SISTEMA"));
  const QString antes = CreateGuardado("FALHAS");
  Abre();
  EXPECT_EQ(FDm->IndicesCriados(), indices);
  EXPECT_EQ(CreateGuardado("FALHAS"), antes);
  EXPECT_EQ(Linhas("FALHAS"), 1);
  FDm->RemoveIndices();
  EXPECT_TRUE(FDm->IndicesCriados().isEmpty());
  FDm->DefineCriaIndices(false);
}

}  // namespace
}  // namespace tovra::test

namespace tovra::test {
namespace {

TEST_F(DmTovraTest, ReadOnlyOpeningNeitherAlignsNorWrites) {
  Descricao(kTres);
  Abre();
  FDm->EncerraDataModule();
  Descricao({{"OUTRA", {{"ID", "ftInteger"}}}});
  TDmTovra leitura;
  ASSERT_TRUE(leitura.AbreSomenteLeitura(FPasta + "Tovra.s3db"));
  EXPECT_FALSE(leitura.TableExists("OUTRA"));
  EXPECT_TRUE(leitura.TableExists("MONTADORAS"));
  EXPECT_THROW(leitura.Exec("INSERT INTO MONTADORAS (ID_MONTADORA) VALUES (1)"), EBancoDados);
  EXPECT_FALSE(leitura.AbreSomenteLeitura(FPasta + "nao_existe.s3db"));
  EXPECT_FALSE(QFile::exists(FPasta + "nao_existe.s3db"));
}

}  // namespace
}  // namespace tovra::test
