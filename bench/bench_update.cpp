// The catalogue update's apply phase at full scale, against the sqlite3 command-line
// tool executing the same statements inside one transaction, in the same run.
//
//   build/tools/tovra-gera_catalogo_grande          # once: writes data/fullscale/
//   build/bench/bench_update                         # TOVRA_FULLSCALE_DIR overrides the folder
//
// Both sides build the same database, the catalogue's indexes included;
// TOVRA_BENCH_REFERENCIA_SEM_INDICES=1 gives the tool bare tables instead.
//
// The update runs as the program runs it: the release (one stored zip per SQL file
// and the CRC list) is served by the stand-in server on 127.0.0.1, the engine
// downloads and unpacks it and then applies every table. The apply phase is timed
// from the first "InserindoTabela" caption to the picture check that follows it.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <zip.h>

#include "catalogue/carga_sql.h"
#include "catalogue/dmtovra.h"
#include "common/dbtojson.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "common/texto.h"
#include "devserver/devserver.h"
#include "online/restlib.h"
#include "online/servicos_config.h"
#include "update/atualizacao_fluxo.h"

using namespace tovra;

namespace {

void Falha(const QString& t) {
  std::fprintf(stderr, "%s\n", t.toUtf8().constData());
  std::exit(1);
}

bool ZipArmazenado(const QString& zipPath, const QString& nome, const QString& origem) {
  int erro = 0;
  zip_t* z = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  if (!z) return false;
  zip_source_t* s = zip_source_file(z, QFile::encodeName(origem).constData(), 0, -1);
  const zip_int64_t i = zip_file_add(z, nome.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
  zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
  return zip_close(z) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString dados = qEnvironmentVariable("TOVRA_FULLSCALE_DIR", "data/fullscale");
  if (!dados.endsWith('/')) dados += '/';
  if (!QFile::exists(dados + "conf.json") || !QDir(dados + "sql").exists())
    Falha("no catalogue in " + dados + ": run build/tools/tovra-gera_catalogo_grande from the project root "
          "(or set TOVRA_FULLSCALE_DIR)");
  const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
  if (sqlite3.isEmpty()) Falha("the sqlite3 command-line tool is missing (scripts/setup installs it)");

  QTemporaryDir tmp;
  const QString t = tmp.path() + "/";
  qputenv("TOVRA_DOCUMENTS", (t + "docs").toUtf8());
  Pastas::Inicializa();
  Pastas::CriaPastas();
  DefineConfLocal(std::make_unique<TClass_JsonIni>());

  // The release: conf.json, one stored zip per SQL file, the CRC list, empty package lists.
  const QString rel = t + "release/files/";
  QDir().mkpath(rel + "zips");
  QDir().mkpath(rel + "v3");
  QFile::copy(dados + "conf.json", rel + "conf.json");
  auto conf = TClassDbToJson::LerArquivo(dados + "conf.json");
  TListaArquivosPorTabela lista;
  QStringList todos;
  qint64 bytes = 0;
  for (const TClassNorvikTable& tab : conf->FListaDeTabelas) {
    QStringList arquivos;
    for (const QString& a : ArquivosDaTabela(dados + "sql/", tab.FTableName)) arquivos << QFileInfo(a).fileName();
    if (arquivos.isEmpty()) continue;
    auto& e = lista.AddNew();
    e.FNomeTabela = tab.FTableName;
    for (const QString& a : arquivos) {
      TClassFileCRC f;
      f.FFileName = a;
      f.FFileCRC = "1";
      if (!ZipArmazenado(rel + f.ZipName(), a, dados + "sql/" + a)) Falha("zip failed: " + a);
      e.FListaFiles.Add(std::move(f));
      todos << dados + "sql/" + a;
      bytes += QFileInfo(dados + "sql/" + a).size();
    }
  }
  lista.SalvaArquivo(rel + "tovra_lista_filecrc.json");
  const QByteArray vazia = R"({"ownsObjects":true,"listHelper":[0],"items":[]})";
  for (const char* n : {"zips/zinfocrc.json", "zips/zfirmwarecrc.json", "v3/00700_app.zip"}) {
    QFile f(rel + n);
    f.open(QIODevice::WriteOnly);
    f.write(vazia);
  }
  std::fprintf(stderr, "release: %lld files, %.1f MB of SQL\n", static_cast<long long>(todos.size()), bytes / 1e6);

  // The program's way.
  devserver::TDevServer srv(t + "release", ":memory:");
  if (!srv.Inicia(0)) Falha("the stand-in server did not start");
  TServicos::Define(TClassServicosConfig::DoServidorLocal(srv.UrlBase()));
  TClassHttpLib http;
  const QString erro = BaixaListasCatalogo(BaixaPorHttp(&http), TServicos::ReleaseServidor());
  if (!erro.isEmpty()) Falha(erro);
  TDmTovra dm;
  if (!dm.IniciaDataModule(Pastas::Files(), "conf.json")) Falha("catalogue did not open");
  TClassAtualizacao a(&http, &dm, TServicos::ReleaseServidor());
  QElapsedTimer relogio;
  qint64 inicioAplicacao = -1, fimAplicacao = -1;
  a.Event_TituloAtualizacao = [&](const QString& k, const QStringList&, int) {
    if (k == "InserindoTabela" && inicioAplicacao < 0) inicioAplicacao = relogio.nsecsElapsed();
    if (k == "VerificandoLocalizacoes" && fimAplicacao < 0) fimAplicacao = relogio.nsecsElapsed();
  };
  relogio.start();
  a.TabelasAtualizadas();
  QString erroTabelas;
  if (!a.AtualizaTabelas(erroTabelas) || !erroTabelas.isEmpty()) Falha("update failed: " + erroTabelas);
  const double total = relogio.nsecsElapsed() / 1e9;
  const double aplicacao = (fimAplicacao - inicioAplicacao) / 1e9;
  qint64 linhas = 0;
  for (const TClassArquivosPorTabela& e : lista) {
    TQueryRef q = dm.Search("SELECT COUNT(*) FROM \"" + e.FNomeTabela + "\"");
    linhas += q->Field(0).AsInteger();
  }
  // The catalogue's indexes, so that both sides build the same database.
  QStringList indices;
  {
    TQueryRef q = dm.Search("SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
    for (q->First(); !q->Eof(); q->Next()) indices << q->Field(0).AsString() + ";";
  }
  dm.EncerraDataModule();

  // The sqlite3 tool: the same schema, the same statements, one transaction.
  const QString script = t + "tudo.sql";
  {
    QFile s(script);
    s.open(QIODevice::WriteOnly);
    for (const TClassNorvikTable& tab : conf->FListaDeTabelas) s.write((tab.GetCreateToSqLite() + "\n").toUtf8());
    // TOVRA_BENCH_REFERENCIA_SEM_INDICES=1: the tool fills bare tables (less work than the program).
    if (!qEnvironmentVariableIsSet("TOVRA_BENCH_REFERENCIA_SEM_INDICES"))
      for (const QString& i : indices) s.write((i + "\n").toUtf8());
    s.write("BEGIN;\n");
    for (const QString& a : todos) {
      QFile f(a);
      f.open(QIODevice::ReadOnly);
      s.write(DecodeTextFile(f.readAll()).toUtf8());
      s.write("\n");
    }
    s.write("COMMIT;\n");
  }
  QProcess p;
  p.setStandardInputFile(script);
  QElapsedTimer r2;
  r2.start();
  p.start(sqlite3, {t + "referencia.s3db"});
  p.waitForFinished(-1);
  const double ferramenta = r2.nsecsElapsed() / 1e9;
  if (p.exitCode() != 0) Falha("sqlite3 failed: " + QString::fromUtf8(p.readAllStandardError()));

  std::printf("rows applied:                 %lld (%lld indexes on both sides)\n", static_cast<long long>(linhas),
              static_cast<long long>(indices.size()));
  std::printf("update (download+unzip+apply): %.2f s\n", total);
  std::printf("apply phase:                  %.2f s  (%.0f rows/s)\n", aplicacao, linhas / aplicacao);
  std::printf("sqlite3 tool, one transaction: %.2f s  (%.0f rows/s)\n", ferramenta, linhas / ferramenta);
  std::printf("ratio apply / sqlite3:        %.2f  (goal: at most 1.2)\n", aplicacao / ferramenta);
  srv.Para();
  return 0;
}
