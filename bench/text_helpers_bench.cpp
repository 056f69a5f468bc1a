#include "core/text_helpers.h"

#include <benchmark/benchmark.h>

namespace {

// Unquoting a run of N quote pairs around one letter: linear in N, where removing the
// pairs one by one from the text is quadratic.
void BM_UnquoteQuoteRun(benchmark::State& state) {
  const int pairs = static_cast<int>(state.range(0));
  const QString quoted = QString(pairs, QLatin1Char('"')) + QLatin1Char('a') + QString(pairs, QLatin1Char('"'));
  for (auto _ : state) {
    QString text = quoted;
    benchmark::DoNotOptimize(unquoteDoubleQuotes(text, true));
  }
  state.SetComplexityN(pairs);
}
BENCHMARK(BM_UnquoteQuoteRun)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
