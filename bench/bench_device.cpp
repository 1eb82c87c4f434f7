// Device-link benchmarks: the receive path, resynchronisation over garbage, and
// the CRC-64 of package files.
//
//   build/bench/bench_device
//
// Goals: the receive path at least 5.8 MB/s (1000 times the wire rate at 57600
// baud) and linear in the buffer (64 KB at most 5 times the time of 16 KB); the
// CRC at least 1 GB/s and at least 2.5 times the byte-at-a-time table.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <random>

#include "common/debug.h"
#include "device/crc.h"
#include "device/frame.h"
#include "device/vexlin.h"

using namespace tovra;

namespace {

QByteArray Frames35(qsizetype total) {
  QByteArray b;
  b.reserve(total + 64);
  int i = 0;
  while (b.size() < total) {
    QByteArray dados(10, Qt::Uninitialized);
    for (int k = 0; k < dados.size(); ++k) dados[k] = char(i + k);
    b += MontaFrameBytes(0x35, dados);
    ++i;
  }
  b.truncate(total - total % 14);  // whole frames only (14 bytes each)
  return b;
}

QByteArray Aleatorios(qsizetype total) {
  std::mt19937 g(12345);
  QByteArray b(total, Qt::Uninitialized);
  for (auto& c : b) c = char(g());
  return b;
}

// Valid live-value frames fed in chunks, dispatched to a no-op handler, debug off.
void BM_RecebeBytes(benchmark::State& st) {
  TDebug::DefineAtivo(false);
  const QByteArray dados = Frames35(st.range(0));
  const qsizetype chunk = st.range(1);
  TClass_Vexlin v(QString{});
  qint64 frames = 0;
  v.Event_DadosPidsRecebidos = [&](const HexaString&) { ++frames; };
  for (auto _ : st) {
    for (qsizetype p = 0; p < dados.size(); p += chunk) v.RecebeBytes(dados.mid(p, chunk));
  }
  benchmark::DoNotOptimize(frames);
  st.SetBytesProcessed(st.iterations() * dados.size());
  st.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecebeBytes)->Args({16384, 16384})->Args({65536, 16384})->Args({65536, 65536})->Unit(benchmark::kMicrosecond);

// Random bytes: the parser skips them one byte at a time.
void BM_Ressincroniza(benchmark::State& st) {
  TDebug::DefineAtivo(false);
  const QByteArray dados = Aleatorios(st.range(0));
  TClass_Vexlin v(QString{});
  for (auto _ : st) {
    v.RecebeBytes(dados);
    v.LimpaListaFrames();
  }
  st.SetBytesProcessed(st.iterations() * dados.size());
}
BENCHMARK(BM_Ressincroniza)->Arg(16384)->Arg(65536)->Unit(benchmark::kMicrosecond);

// The same garbage arriving one byte per read.
void BM_RessincronizaByteAByte(benchmark::State& st) {
  TDebug::DefineAtivo(false);
  const QByteArray dados = Aleatorios(st.range(0));
  TClass_Vexlin v(QString{});
  for (auto _ : st) {
    for (qsizetype p = 0; p < dados.size(); ++p) v.RecebeBytes(dados.mid(p, 1));
    v.LimpaListaFrames();
  }
  st.SetBytesProcessed(st.iterations() * dados.size());
}
BENCHMARK(BM_RessincronizaByteAByte)->Arg(16384)->Arg(65536)->Unit(benchmark::kMicrosecond);

const QByteArray& Pacote() {
  static const QByteArray b = Aleatorios(16 << 20);
  return b;
}

void BM_CalcCRC64(benchmark::State& st) {
  const TMemoryStreamCrc s(Pacote());
  for (auto _ : st) benchmark::DoNotOptimize(s.CalcCRC64());
  st.SetBytesProcessed(st.iterations() * Pacote().size());
}
BENCHMARK(BM_CalcCRC64)->Unit(benchmark::kMillisecond);

void BM_CalcCRC64PorByte(benchmark::State& st) {
  const QByteArray& b = Pacote();
  for (auto _ : st) benchmark::DoNotOptimize(CalcCRC64PorByte(b.constData(), b.size()));
  st.SetBytesProcessed(st.iterations() * b.size());
}
BENCHMARK(BM_CalcCRC64PorByte)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
