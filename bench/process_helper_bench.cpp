#include "core/process_helper.h"

#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

// The floor that ProcessHelper::run is measured against.
void BM_BareQProcessTrue(benchmark::State& state) {
  for (auto _ : state) {
    QProcess p;
    p.start("/bin/true", QStringList());
    p.waitForFinished(-1);
    benchmark::DoNotOptimize(p.exitCode());
  }
}
BENCHMARK(BM_BareQProcessTrue)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ProcessHelperRunTrue(benchmark::State& state) {
  ProcessHelper helper;
  int exitCode = 0;
  bool finished = false;
  for (auto _ : state) {
    if (helper.run(&exitCode, &finished, "/bin/true", QStringList(), QString(), -1, true, false, QString(),
                   QProcessEnvironment()) != 0)
      state.SkipWithError("run failed");
    benchmark::DoNotOptimize(exitCode);
  }
  if (!finished) state.SkipWithError("child not finished");
}
BENCHMARK(BM_ProcessHelperRunTrue)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
