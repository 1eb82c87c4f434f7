// Catalogue benchmarks at full scale: building the database from its SQL files
// (rows per second), and every resolution, load, look-up and count of the
// catalogue service, with and without the indexes added after alignment.
//
//   build/tools/tovra-gera_catalogo_grande           # once: writes data/fullscale/
//   build/bench/bench_catalogue                      # from the source tree root
//
// TOVRA_FULLSCALE_DIR points at another generated folder.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "catalogue/carga_sql.h"
#include "catalogue/controller.h"
#include "catalogue/dmtovra.h"

using namespace tovra;

namespace {

struct TBanco {
  std::unique_ptr<TDmTovra> dm;
  std::unique_ptr<TCatalogo> cat;
};

QString gPastaDados;
std::unique_ptr<QTemporaryDir> gTemp;
TBanco gComIndices, gSemIndices;
std::vector<std::pair<qint64, qint64>> gAmostra;  // (model, system) of real associations
std::vector<TGruposAssociacao> gGrupos;

void BM_ConstroiBanco(benchmark::State& st) {
  for (auto _ : st) {
    const QString destino = gTemp->path() + "/com/";
    QDir(destino).removeRecursively();
    TEstatisticaCarga est;
    QString erro;
    if (!MontaBancoDeSql(gPastaDados, destino, erro, &est)) {
      st.SkipWithError(erro.toStdString().c_str());
      return;
    }
    st.SetItemsProcessed(est.comandos);
    st.counters["linhas_por_s"] = benchmark::Counter(static_cast<double>(est.comandos), benchmark::Counter::kIsRate);
  }
}

void Abre(TBanco& b, const QString& pasta) {
  b.dm = std::make_unique<TDmTovra>();
  b.dm->IniciaDataModule(pasta, "conf.json");
  b.cat = std::make_unique<TCatalogo>(*b.dm);
  b.cat->DefineModoTeste(false);
}

bool Prepara() {
  const QString com = gTemp->path() + "/com/";
  const QString sem = gTemp->path() + "/sem/";
  if (!QFile::exists(com + "Tovra.s3db")) {
    QString erro;
    if (!MontaBancoDeSql(gPastaDados, com, erro)) {
      std::fprintf(stderr, "falha ao montar o banco: %s\n", erro.toUtf8().constData());
      return false;
    }
  }
  QDir().mkpath(sem);
  QFile::remove(sem + "Tovra.s3db");
  QFile::copy(com + "Tovra.s3db", sem + "Tovra.s3db");
  QFile::copy(com + "conf.json", sem + "conf.json");
  Abre(gComIndices, com);
  gSemIndices.dm = std::make_unique<TDmTovra>();
  gSemIndices.dm->DefineCriaIndices(false);
  gSemIndices.dm->IniciaDataModule(sem, "conf.json");
  gSemIndices.dm->RemoveIndices();
  gSemIndices.cat = std::make_unique<TCatalogo>(*gSemIndices.dm);
  gSemIndices.cat->DefineModoTeste(false);

  auto q = gComIndices.dm->Search(
      "SELECT ID_MODELO, ID_SISTEMA FROM ASSOCIACAO_MODELO_SISTEMA WHERE ID_ASSOCIACAO_MODELO_SISTEMA % 397 = 1");
  for (q->First(); !q->Eof(); q->Next()) gAmostra.emplace_back(q->Field(0).AsInteger(), q->Field(1).AsInteger());
  for (const auto& [m, s] : gAmostra) {
    TGruposAssociacao g;
    gComIndices.cat->GruposAssociacao(m, s, g);
    gGrupos.push_back(g);
  }
  return !gAmostra.empty();
}

using TConsulta = std::function<size_t(TCatalogo&, qint64 m, qint64 s, const TGruposAssociacao& g)>;

void Registra(const char* nome, TConsulta consulta) {
  for (const bool indices : {true, false}) {
    const std::string n = std::string(nome) + (indices ? "/com_indices" : "/sem_indices");
    benchmark::RegisterBenchmark(n.c_str(), [consulta, indices](benchmark::State& st) {
      // The databases are opened once, outside the timed loop, after the build ran.
      static const bool pronto = Prepara();
      if (!pronto) {
        st.SkipWithError("catálogo não preparado");
        return;
      }
      TCatalogo& cat = *(indices ? gComIndices : gSemIndices).cat;
      size_t i = 0, itens = 0;
      for (auto _ : st) {
        const size_t k = i++ % gAmostra.size();
        itens += consulta(cat, gAmostra[k].first, gAmostra[k].second, gGrupos[k]);
      }
      st.counters["itens"] = benchmark::Counter(static_cast<double>(itens), benchmark::Counter::kAvgIterations);
    })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->MinTime(indices ? 0.2 : 0.05);
  }
}

void RegistraConsultas() {
  Registra("01_AdaptadorAssociacao", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return c.AdaptadorAssociacao(m, s).id != 0; });
  Registra("02_ModelosScript", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return size_t(c.ModelosScript(m, s).modeloFlx); });
  Registra("03_MontadoraDoModelo", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.MontadoraDoModelo(m)); });
  Registra("04_GrupoDoModelo", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.GrupoDoModelo(m)); });
  Registra("05_SiglaDoSistema", [](TCatalogo& c, qint64, qint64 s, const auto&) { return size_t(c.SiglaDoSistema(s).id.size()); });
  Registra("06_SistemaDiesel", [](TCatalogo& c, qint64, qint64 s, const auto&) { return size_t(c.SistemaDiesel(s)); });
  Registra("07_GruposAssociacao", [](TCatalogo& c, qint64 m, qint64 s, const auto&) {
    TGruposAssociacao g;
    return size_t(c.GruposAssociacao(m, s, g));
  });
  Registra("08_CarregaFalhas", [](TCatalogo& c, qint64, qint64, const TGruposAssociacao& g) { return c.CarregaFalhas(g).size(); });
  Registra("09_CarregaParametros", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return c.CarregaParametros(m, s).size(); });
  Registra("10_CarregaParametrosVG", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return c.CarregaParametrosVG(m, s).size(); });
  Registra("11_CarregaAtuadores", [](TCatalogo& c, qint64, qint64, const TGruposAssociacao& g) { return c.CarregaAtuadores(g).size(); });
  Registra("12_CarregaAjustes", [](TCatalogo& c, qint64, qint64, const TGruposAssociacao& g) { return c.CarregaAjustes(g).size(); });
  Registra("13_StatusFalha", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.StatusFalha(m % 4).size()); });
  Registra("14_MsgUsuario", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.MsgUsuario(m % 200 + 1).size()); });
  Registra("15_MsgAdicionalFalha", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.MsgAdicionalFalha(m % 8 + 1).size()); });
  Registra("16_StatusParametro", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.StatusParametro(double(m % 25)).titulo.size()); });
  Registra("17_MsgUsuarioBotoes", [](TCatalogo& c, qint64 m, qint64, const auto&) { return size_t(c.MsgUsuarioBotoes(m % 200 + 1, 10, 11).TemBotao()); });
  Registra("18_InfoSolicitada", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return c.InfoSolicitada("PT", m, s).size(); });
  Registra("19_QtdAjustes", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return size_t(c.QtdAjustes(m, s)); });
  Registra("20_QtdAtuadores", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return size_t(c.QtdAtuadores(m, s)); });
  Registra("21_QtdFalhas", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return size_t(c.QtdFalhas(m, s)); });
  Registra("22_QtdParametros", [](TCatalogo& c, qint64 m, qint64 s, const auto&) { return size_t(c.QtdParametros(m, s)); });
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  gPastaDados = qEnvironmentVariable("TOVRA_FULLSCALE_DIR", "data/fullscale");
  if (!gPastaDados.endsWith('/')) gPastaDados += '/';
  if (!QFile::exists(gPastaDados + "conf.json") || !QDir(gPastaDados + "sql").exists()) {
    std::fprintf(stderr,
                 "sem catálogo em %s: rode build/tools/tovra-gera_catalogo_grande na raiz do projeto "
                 "(ou defina TOVRA_FULLSCALE_DIR)\n",
                 gPastaDados.toUtf8().constData());
    return 1;
  }
  gTemp = std::make_unique<QTemporaryDir>();
  // The build runs first; the queries use the database it produced.
  // TOVRA_BENCH_SO_CONSULTAS=1 skips it and uses the generator's Tovra.s3db.
  const bool soConsultas = qEnvironmentVariableIsSet("TOVRA_BENCH_SO_CONSULTAS");
  if (soConsultas) {
    // Reuse the database the generator built beside the SQL files.
    const QString com = gTemp->path() + "/com/";
    QDir().mkpath(com);
    QFile::copy(gPastaDados + "Tovra.s3db", com + "Tovra.s3db");
    QFile::copy(gPastaDados + "conf.json", com + "conf.json");
  } else {
    benchmark::RegisterBenchmark("00_ConstroiBanco", BM_ConstroiBanco)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
  }
  RegistraConsultas();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
