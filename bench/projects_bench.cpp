#include "manager/build_manager.h"
#include "core/logger.h"
#include "rules_tree.h"
#include "scan_floor/scan_floor_walk.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<BuildManager> scannedManager(benchmark::State& state, const bench_rules::RulesTree& tree) {
  auto manager = std::make_unique<BuildManager>();
  QByteArray manifest = tree.manifest().toUtf8();
  char program[] = "varkel";
  char option[] = "-pmanifest";
  char* argv[] = {program, option, manifest.data()};
  if (!tree.valid || manager->parseCommandLine(3, argv) != 0 || manager->scan() != 0 ||
      manager->count() != tree.projects)
    state.SkipWithError("the scan failed");
  return manager;
}

// Log level warning, as a scan runs when the job asks for quiet: nothing is written.
class QuietLog {
 public:
  QuietLog() : log_(logger::LogManager::instance()) {
    log_->addRef();
    log_->setLevel(logger::LogWarning);
  }
  ~QuietLog() { log_->release(); }
  QuietLog(const QuietLog&) = delete;
  QuietLog& operator=(const QuietLog&) = delete;

 private:
  logger::LogManager* log_;
};

// The scan stage in process: walking and reading the files into the project table.
void BM_ScanRules(benchmark::State& state) {
  const QuietLog quiet;
  const bench_rules::RulesTree& tree = bench_rules::tree(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::unique_ptr<BuildManager> manager = scannedManager(state, tree);
    benchmark::DoNotOptimize(manager.get());
  }
  state.counters["files"] = tree.files();
  state.SetComplexityN(tree.files());
}
BENCHMARK(BM_ScanRules)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// The floor for the scan: a plain Qt walk that reads each file of the same tree once.
void BM_ScanFloor(benchmark::State& state) {
  const bench_rules::RulesTree& tree = bench_rules::tree(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const int files = scan_floor::walk(tree.manifest());
    if (!tree.valid || files != tree.files()) state.SkipWithError("the walk failed");
    benchmark::DoNotOptimize(files);
  }
  state.counters["files"] = tree.files();
  state.SetComplexityN(tree.files());
}
BENCHMARK(BM_ScanFloor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// GetAllProjects over 1 000 projects: one walk over every index of the table.
void BM_GetAllProjects1000(benchmark::State& state) {
  std::unique_ptr<BuildManager> manager = scannedManager(state, bench_rules::tree(1000));
  QString result;
  for (auto _ : state) {
    if (manager->calculate(QStringLiteral("GetAllProjects()"), result) != 0) state.SkipWithError("failed");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GetAllProjects1000)->Unit(benchmark::kMicrosecond);

}  // namespace
