#include "intr/interpreter.h"

#include <benchmark/benchmark.h>

namespace {

QString orChain(int terms) {
  QString text;
  for (int i = 0; i < terms; ++i) {
    if (i) text += QLatin1String(" or ");
    text += QStringLiteral("x%1 == y").arg(i);
  }
  return text;
}

// Parse and evaluate of a typical task condition.
void BM_EvaluateCondition(benchmark::State& state) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  const QString text = QStringLiteral("'abc' == 'ABC' and IsOs('linux') and 10 great 9");
  QString result;
  for (auto _ : state) {
    if (interpreter.evaluate(text, &result) != 0) state.SkipWithError("evaluate failed");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_EvaluateCondition);

// A flat "or" chain of n terms: the cost must grow linearly with n.
void BM_EvaluateOrChain(benchmark::State& state) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  const QString text = orChain(static_cast<int>(state.range(0)));
  QString result;
  for (auto _ : state) {
    if (interpreter.evaluate(text, &result) != 0) state.SkipWithError("evaluate failed");
    benchmark::DoNotOptimize(result);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EvaluateOrChain)->Arg(100)->Arg(400)->Complexity(benchmark::oN);

// The parse alone of the same chain (each compile also deletes the tree before it):
// the share of the parse in the evaluation above.
void BM_CompileOrChain(benchmark::State& state) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  const QString text = orChain(static_cast<int>(state.range(0)));
  for (auto _ : state)
    if (interpreter.compile(text) != 0) state.SkipWithError("compile failed");
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CompileOrChain)->Arg(100)->Arg(400)->Complexity(benchmark::oN);

}  // namespace
