#include "manager/build_manager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kGroups = 10;
constexpr int kPerGroup = 100;

void writeRules(const QString& dir, const QStringList& targets, const QString& solution) {
  QDir().mkpath(dir);
  QFile file(dir + QStringLiteral("/varkel.xml"));
  if (!file.open(QIODevice::WriteOnly)) return;
  QString xml = QStringLiteral("<project><scan><targets>");
  for (const QString& target : targets) xml += QStringLiteral("<target path=\"%1\"/>").arg(target);
  xml += QStringLiteral("</targets></scan><solutions>") + solution + QStringLiteral("</solutions></project>\n");
  file.write(xml.toUtf8());
}

// A root naming 10 directories, each naming 100 whose file holds one solution with two
// outputs and one dependence: 1 000 projects in 1 011 files.
struct RulesTree {
  RulesTree() {
    QStringList groups;
    for (int g = 0; g < kGroups; ++g) groups << QStringLiteral("g%1").arg(g);
    writeRules(dir.path(), groups, QString());
    const int total = kGroups * kPerGroup;
    for (int g = 0; g < kGroups; ++g) {
      QStringList leaves;
      for (int p = 0; p < kPerGroup; ++p) leaves << QStringLiteral("p%1").arg(p);
      const QString group = dir.filePath(groups[g]);
      writeRules(group, leaves, QString());
      for (int p = 0; p < kPerGroup; ++p) {
        const int n = g * kPerGroup + p;
        writeRules(group + QLatin1Char('/') + leaves[p], {},
                   QStringLiteral("<solution type=\"build\" buildtype=\"make\" name=\"p%1\" projectfile=\"p.pro\">"
                                  "<output><fileset id=\"bin\" dir=\"bin\"><include name=\"*\"/></fileset>"
                                  "<fileset id=\"lib\" dir=\"lib\"><include name=\"*.so\"/></fileset></output>"
                                  "<dependencies><dependence name=\"p%2\"/></dependencies></solution>")
                       .arg(n)
                       .arg((n + 1) % total));
      }
    }
  }
  QString manifest() const { return dir.filePath(QStringLiteral("varkel.xml")); }
  QTemporaryDir dir;
};

const RulesTree& tree() {
  static const RulesTree instance;
  return instance;
}

std::unique_ptr<BuildManager> scannedManager(benchmark::State& state) {
  auto manager = std::make_unique<BuildManager>();
  QByteArray manifest = tree().manifest().toUtf8();
  char program[] = "varkel";
  char option[] = "-pmanifest";
  char* argv[] = {program, option, manifest.data()};
  if (manager->parseCommandLine(3, argv) != 0 || manager->scan() != 0 || manager->count() != kGroups * kPerGroup)
    state.SkipWithError("the scan failed");
  return manager;
}

// The scan stage in process: walking and reading the 1 011 files into the table.
void BM_ScanRules1000(benchmark::State& state) {
  (void)tree();
  for (auto _ : state) {
    std::unique_ptr<BuildManager> manager = scannedManager(state);
    benchmark::DoNotOptimize(manager.get());
  }
}
BENCHMARK(BM_ScanRules1000)->Unit(benchmark::kMillisecond);

// GetAllProjects over the 1 000 projects: one walk over every index of the table.
void BM_GetAllProjects1000(benchmark::State& state) {
  std::unique_ptr<BuildManager> manager = scannedManager(state);
  QString result;
  for (auto _ : state) {
    if (manager->calculate(QStringLiteral("GetAllProjects()"), result) != 0) state.SkipWithError("failed");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_GetAllProjects1000)->Unit(benchmark::kMicrosecond);

}  // namespace
