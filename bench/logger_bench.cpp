#include "core/logger.h"

#include <benchmark/benchmark.h>

namespace {

// A statement whose level test fails: nothing may be built or formatted.
void BM_DroppedLogStatement(benchmark::State& state) {
  logger::LogManager* m = logger::LogManager::instance();
  m->addRef();
  m->setLevel(logger::LogWarning);
  int i = 0;
  for (auto _ : state) {
    VLOG_INFO("Bench") << "dropped " << ++i;
    benchmark::ClobberMemory();
  }
  m->release();
}
BENCHMARK(BM_DroppedLogStatement);

}  // namespace
