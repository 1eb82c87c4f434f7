// Device-link benchmarks against the simulator process on a pseudo-terminal:
// the command round trip (probe 0x80, answer 55 80) and the upload of a 200 KB
// script checked by CRC.
//
//   build/bench/bench_device2
//
// Goals: round trip median at most 3 ms (reported with the 95th percentile as
// counters median_ms and p95_ms); upload bytes per second, and cpu_share: the
// share of the wall time the program spends running rather than waiting.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <vector>

#include "device/vexlin.h"

using namespace tovra;

namespace {

struct Simulador {
  QProcess proc;
  QTemporaryDir dir;
  QString porta;
  bool Inicia() {
    porta = dir.path() + QString("/ttyBENCH_%1").arg(QCoreApplication::applicationPid());
    proc.start(QCoreApplication::applicationDirPath() + "/../sim/tovra-devicesim", {"--link", porta});
    if (!proc.waitForStarted(10000)) return false;
    QElapsedTimer t;
    t.start();
    while (!proc.canReadLine() && t.elapsed() < 10000) proc.waitForReadyRead(100);
    return proc.canReadLine();
  }
  ~Simulador() {
    proc.terminate();
    proc.waitForFinished(5000);
  }
};

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void BM_IdaEVoltaSonda(benchmark::State& state) {
  Simulador sim;
  if (!sim.Inicia()) {
    state.SkipWithError("the simulator did not start");
    return;
  }
  TClass_Vexlin v(QString{});
  if (!v.LocalizarVexlinNaUSB(sim.porta)) {
    state.SkipWithError("the simulator did not answer");
    return;
  }
  std::vector<double> ms;
  QElapsedTimer t;
  for (auto _ : state) {
    t.start();
    QString erro;
    if (!v.EnviaAguarda("80", "", "55 80", 2000, erro)) {
      state.SkipWithError("no answer");
      break;
    }
    ms.push_back(double(t.nsecsElapsed()) / 1e6);
  }
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.95))];
}
BENCHMARK(BM_IdaEVoltaSonda)->Iterations(500)->Unit(benchmark::kMillisecond);

void BM_Envio200KB(benchmark::State& state) {
  Simulador sim;
  if (!sim.Inicia()) {
    state.SkipWithError("the simulator did not start");
    return;
  }
  QByteArray b;
  for (int i = 0; b.size() < 200 * 1024; ++i) b += QByteArray::number(i * 2654435761u) + ' ';
  b.truncate(200 * 1024);
  const QString origem = sim.dir.path() + "/00512.flx";
  QFile f(origem);
  f.open(QIODevice::WriteOnly);
  f.write(b);
  f.close();
  TClass_Vexlin v(QString{});
  if (!v.LocalizarVexlinNaUSB(sim.porta)) {
    state.SkipWithError("the simulator did not answer");
    return;
  }
  double cpu = 0, parede = 0;
  QElapsedTimer t;
  for (auto _ : state) {
    const double c0 = CpuMs();
    t.start();
    if (!v.GravaArquivo(origem, "00512.flx")) {
      state.SkipWithError("upload failed");
      break;
    }
    parede += double(t.nsecsElapsed()) / 1e6;
    cpu += CpuMs() - c0;
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * b.size());
  if (parede > 0) state.counters["cpu_share"] = cpu / parede;
}
BENCHMARK(BM_Envio200KB)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
