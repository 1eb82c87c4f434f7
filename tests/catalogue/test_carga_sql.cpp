// Filling tables from the maker's SQL data files.
#include <QDir>
#include <gtest/gtest.h>

#include "catalogue/carga_sql.h"
#include "tests/catalogue/catalogo_teste.h"
#include "tests/support/testsupport.h"

namespace tovra::test {
namespace {

class CargaSqlTest : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    FPasta = Documents() + "files/";
    WriteAll(FPasta + "conf.json", ConfJson({{"FALHAS", {{"ID_FALHA", "ftInteger", 0, true}, {"TITULO", "ftString", 80}}},
                                             {"FALHAS_OLD", {{"ID_FALHA", "ftInteger", 0, true}}}}));
    ASSERT_TRUE(FDm.IniciaDataModule(FPasta, "conf.json"));
  }
  // n lines of two statements each, Windows-1252, with an accented text.
  QByteArray Linhas(int n, int ruim = -1) {
    QByteArray b;
    for (int i = 0; i < n; ++i) {
      const int id = 2 * i + 1;
      if (i == ruim) b += "INSERT INTO FALHAS (ID_FALHA) VALUES (1);\r\n";  // repeats a key
      else
        b += QByteArray("INSERT INTO FALHAS VALUES (") + QByteArray::number(id) + ", 'Bomba d''\xe1gua');" +
             "INSERT INTO FALHAS VALUES (" + QByteArray::number(id + 1) + ", 'Falha \"igni\xe7\xe3o\"');\r\n";
    }
    return b;
  }
  qint64 Qtd() { return FDm.Search("SELECT COUNT(*) FROM FALHAS")->Field(0).AsInteger(); }

  QString FPasta;
  TDmTovra FDm;
};

TEST_F(CargaSqlTest, EveryLineRunsAndTextsDecodeFromWindows1252) {
  WriteAll(FPasta + "sql/falhas_01.sql", Linhas(250));
  TEstatisticaCarga est;
  ExecutaArquivoSql(FDm, FPasta + "sql/falhas_01.sql", &est);
  EXPECT_EQ(Qtd(), 500);
  EXPECT_EQ(est.linhas, 250);
  EXPECT_EQ(est.comandos, 500);
  EXPECT_EQ(FDm.Search("SELECT TITULO FROM FALHAS WHERE ID_FALHA = 1")->Field(0).AsString(), "Bomba d'água");
  EXPECT_EQ(FDm.Search("SELECT TITULO FROM FALHAS WHERE ID_FALHA = 2")->Field(0).AsString(), "Falha \"ignição\"");
}

TEST_F(CargaSqlTest, AFailingBatchRaisesAndTheTransactionIsRolledBack) {
  WriteAll(FPasta + "sql/falhas_01.sql", Linhas(250, 150));
  FDm.StartTransaction();
  EXPECT_THROW(ExecutaArquivoSql(FDm, FPasta + "sql/falhas_01.sql"), EBancoDados);
  EXPECT_FALSE(FDm.InTransaction());
  EXPECT_EQ(Qtd(), 0);
  EXPECT_THROW(ExecutaArquivoSql(FDm, FPasta + "sql/nao_existe.sql"), EBancoDados);
}

TEST_F(CargaSqlTest, TableFilesAreFoundByNameAndNumberOnly) {
  for (const char* n : {"falhas_02.sql", "falhas_01.sql", "falhas_old_01.sql", "falhas_x.sql", "falhas_01.zip"})
    WriteAll(FPasta + "sql/" + n, "");
  const QStringList a = ArquivosDaTabela(FPasta + "sql", "FALHAS");
  ASSERT_EQ(a.size(), 2);
  EXPECT_TRUE(a[0].endsWith("/falhas_01.sql"));
  EXPECT_TRUE(a[1].endsWith("/falhas_02.sql"));
  EXPECT_EQ(ArquivosDaTabela(FPasta + "sql", "FALHAS_OLD").size(), 1);
}

}  // namespace
}  // namespace tovra::test
