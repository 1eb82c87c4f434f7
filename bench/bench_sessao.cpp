// Live-value decoding through the diagnostic session: frames of 16 records, every
// parameter visible. A device sends at most a few hundred records per second; the
// figure is the margin.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "device/hexa.h"
#include "diagnosis/diagvexlin.h"

using namespace tovra;

static void BM_ValoresAoVivo(benchmark::State& state) {
  QTemporaryDir logs;
  TClassDiagVexlin s(logs.path() + "/");
  for (uint32_t id = 1; id <= 16; ++id) {
    TClassParametro& p = s.ParametrosSVG().AddNew();
    p.FID = id;
    p.FVisible = true;
  }
  QByteArray d("\x00\x01", 2);
  for (int r = 0; r < 16; ++r) {
    const char rec[7] = {0, static_cast<char>(r + 1), 0x12, 0x41, 0x48, static_cast<char>(r), 0};
    d.append(rec, 7);
  }
  const HexaString frame = FromBytes(d);
  for (auto _ : state) {
    s.OnDadosPids(frame);
    benchmark::DoNotOptimize(s.ParametrosSVG()[0].Value());
  }
  state.SetItemsProcessed(state.iterations() * 16);
  state.SetLabel("records");
}
BENCHMARK(BM_ValoresAoVivo);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
