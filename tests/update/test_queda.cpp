// The catalogue update killed (SIGKILL) at random moments of its apply phase: after
// every restart each table holds either its old or its new content, the lists read,
// and the next update completes.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>
#include <zip.h>

#include "common/jsonobj.h"
#include "devserver/devserver.h"
#include "diagnosis/flx.h"
#include "tests/support/testsupport.h"
#include "update/filecrc.h"

namespace tovra {
namespace {

QString Bin(const QString& rel) { return test::BinaryDir() + "/" + rel; }

// Every table's rows as one text, read with SQLite directly (a hot journal left by
// the kill is rolled back on opening, as the program's own open would).
std::map<QString, QString> Conteudo(const QString& banco, const QStringList& tabelas) {
  std::map<QString, QString> r;
  sqlite3* db = nullptr;
  if (sqlite3_open(QFile::encodeName(banco).constData(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return r;
  }
  for (const QString& t : tabelas) {
    QString texto;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = ("SELECT * FROM \"" + t + "\" ORDER BY 1").toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
      while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
          const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
          texto += QString::fromUtf8(v ? v : "<null>") + "|";
        }
        texto += "\n";
      }
    } else {
      texto = "<sem tabela>";
    }
    sqlite3_finalize(st);
    r[t] = texto;
  }
  sqlite3_close(db);
  return r;
}

QByteArray LeDoZip(const QString& zipPath, const QString& nome) {
  QTemporaryDir d;
  ExtraiZip(zipPath, d.path() + "/", false);
  QFile f(d.path() + "/" + nome);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void GravaZip(const QString& zipPath, const QString& nome, const QByteArray& conteudo) {
  QFile::remove(zipPath);
  int erro = 0;
  zip_t* z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  ASSERT_NE(z, nullptr);
  zip_source_t* s = zip_source_buffer(z, conteudo.constData(), static_cast<zip_uint64_t>(conteudo.size()), 0);
  zip_file_add(z, nome.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
  ASSERT_EQ(zip_close(z), 0);
}

class QuedaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FTmp.isValid());
    T = FTmp.path() + "/";
    QProcess monta;
    monta.start(Bin("tools/tovra-monta_catalogo"), {"--saida", T + "cat", "--dados", test::SourceDir() + "/data/demo"});
    ASSERT_TRUE(monta.waitForFinished(120000));
    ASSERT_EQ(monta.exitCode(), 0) << monta.readAllStandardError().toStdString();
    FServidor = std::make_unique<devserver::TDevServer>(T + "cat/release", ":memory:");
    ASSERT_TRUE(FServidor->Inicia(0));
  }
  void TearDown() override {
    if (FServidor) FServidor->Para();
  }

  // Runs the update in its own process; with matar, kills it with SIGKILL a random
  // moment after its apply phase has begun.
  int Atualiza(const QString& documentos, bool matar, int atrasoMs = 0) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOVRA_DOCUMENTS", documentos);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Bin("app/tovra-cli"), {"update", "--server", FServidor->UrlBase(), "--apply"});
    EXPECT_TRUE(p.waitForStarted(10000));
    if (matar) {
      QByteArray saida;
      while (!saida.contains("Inserindo tabela") && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        saida += p.readAll();
      }
      QProcess::execute("sleep", {QString::number(atrasoMs / 1000.0, 'f', 3)});
      p.kill();
      p.waitForFinished(10000);
      return -1;
    }
    EXPECT_TRUE(p.waitForFinished(120000));
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  }

  QString Banco(const QString& docs) const {
    return docs + "/{6f2fe5b1-aaff-4898-80b8-eb49fb0d9fd7}/files/Tovra.s3db";
  }
  QString Files(const QString& docs) const { return docs + "/{6f2fe5b1-aaff-4898-80b8-eb49fb0d9fd7}/files/"; }

  QTemporaryDir FTmp;
  QString T;
  std::unique_ptr<devserver::TDevServer> FServidor;
};

TEST_F(QuedaTest, KilledDuringTheApplyPhaseEveryTableIsOldOrNew) {
  // State A: the demo release applied.
  const QString docA = T + "docA";
  QDir().mkpath(docA);
  ASSERT_EQ(Atualiza(docA, false), 0);
  auto lista = TListaArquivosPorTabela::LerArquivo(T + "cat/release/files/tovra_lista_filecrc.json");
  QStringList tabelas;
  for (const auto& t : *lista) tabelas << t.FNomeTabela.toUpper();
  const auto a = Conteudo(Banco(docA), tabelas);

  // Release B: every table gets one more row; the list announces new CRC texts.
  auto conf = TJsonLib::LoadFileToJson(T + "cat/release/files/conf.json");
  ASSERT_TRUE(conf);
  for (auto& t : *lista) {
    QString chave, tipo;
    for (const auto& tab : (*conf)["listaDeTabelas"]["items"])
      if (QString::fromStdString(tab["tableName"].get<std::string>()).toUpper() == t.FNomeTabela.toUpper())
        for (const auto& f : tab["fieldList"]["items"])
          if (f["notNull"].get<bool>() && chave.isEmpty()) {
            chave = QString::fromStdString(f["nomeField"].get<std::string>());
            tipo = QString::fromStdString(f["tipoDados"].get<std::string>());
          }
    TClassFileCRC& f = t.FListaFiles.Last();
    const QString zip = T + "cat/release/files/" + f.ZipName();
    QByteArray sql = LeDoZip(zip, f.SqlName());
    ASSERT_FALSE(sql.isEmpty()) << f.FFileName.toStdString();
    if (!sql.endsWith('\n')) sql += "\r\n";
    const QString valor = tipo == "ftInteger" ? "999999" : "'999999'";
    sql += (chave.isEmpty() ? "INSERT INTO " + t.FNomeTabela + " DEFAULT VALUES;"
                            : "INSERT INTO " + t.FNomeTabela + " (" + chave + ") VALUES (" + valor + ");")
               .toUtf8() +
           "\r\n";
    GravaZip(zip, f.SqlName(), sql);
    f.FFileCRC += "9";
  }
  lista->SalvaArquivo(T + "cat/release/files/tovra_lista_filecrc.json");

  // Reference: B applied without interruption.
  const QString docB = T + "docB";
  QProcess::execute("cp", {"-a", docA, docB});
  ASSERT_EQ(Atualiza(docB, false), 0);
  const auto b = Conteudo(Banco(docB), tabelas);
  int diferentes = 0;
  for (const QString& t : tabelas) diferentes += a.at(t) != b.at(t);
  ASSERT_EQ(diferentes, tabelas.size()) << "every table must change between A and B";

  std::mt19937 aleatorio(20261211);
  std::uniform_int_distribution<int> atraso(0, 250);  // the demo's apply phase lasts about 300 ms
  int meioTermo = 0;
  for (int i = 0; i < 6; ++i) {
    const QString doc = T + QString("doc%1").arg(i);
    QProcess::execute("cp", {"-a", docA, doc});
    const int ms = atraso(aleatorio);
    Atualiza(doc, true, ms);
    const auto depois = Conteudo(Banco(doc), tabelas);
    int novas = 0;
    for (const QString& t : tabelas) {
      const QString& c = depois.at(t);
      EXPECT_TRUE(c == a.at(t) || c == b.at(t)) << "table " << t.toStdString() << " half applied after a kill at +"
                                                << ms << " ms";
      novas += c == b.at(t);
    }
    if (novas > 0 && novas < tabelas.size()) ++meioTermo;
    // Whatever lists are there read.
    for (const QString& l : {QString("tovra_lista_filecrc.json"), QString("tovra_lista_filecrc_atual.json")})
      if (QFile::exists(Files(doc) + l)) EXPECT_NO_THROW(TListaArquivosPorTabela::LerArquivo(Files(doc) + l)) << l.toStdString();
    // The next update completes and brings every table to B.
    ASSERT_EQ(Atualiza(doc, false), 0) << "restart after a kill at +" << ms << " ms";
    const auto fim = Conteudo(Banco(doc), tabelas);
    for (const QString& t : tabelas) EXPECT_EQ(fim.at(t), b.at(t)) << t.toStdString();
  }
  // At least one kill must have landed between two tables, or the test proves little.
  EXPECT_GT(meioTermo, 0);
}

}  // namespace
}  // namespace tovra
