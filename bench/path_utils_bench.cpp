#include "core/path_utils.h"

#include <benchmark/benchmark.h>

namespace {

// Paths of 100 characters in all, in ordinary shapes.
const QString kBase = QStringLiteral("/home/builder/work/repository/products/varkel/modules/core");
const QString kTail = QStringLiteral("/src/platform/linux/x86/release/libcore.so");
const QString kFull = kBase + kTail;

void BM_CombinePath(benchmark::State& state) {
  for (auto _ : state) {
    QString base = kBase;
    benchmark::DoNotOptimize(combinePath(base, kTail).constData());
  }
}
BENCHMARK(BM_CombinePath);

void BM_MakeAbsolutePath(benchmark::State& state) {
  const QString relative = kTail.mid(1);
  for (auto _ : state) benchmark::DoNotOptimize(makeAbsolutePath(kBase, relative));
}
BENCHMARK(BM_MakeAbsolutePath);

void BM_ParentDirOf(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(parentDirOf(kFull));
}
BENCHMARK(BM_ParentDirOf);

}  // namespace
