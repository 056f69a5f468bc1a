#include "core/file_set_copy.h"
#include "core/logger.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kDirectories = 100;
constexpr int kFilesPerDirectory = 100;
constexpr int kFileSize = 4096;

// 10 000 files of 4 KB in 100 directories, made once for every benchmark of the run.
class SourceTree {
 public:
  SourceTree() {
    const QByteArray content(kFileSize, 'v');
    for (int d = 0; d < kDirectories && ok_; ++d) {
      const QString dir = source() + QStringLiteral("/dir%1").arg(d, 3, 10, QLatin1Char('0'));
      ok_ = QDir().mkpath(dir);
      for (int f = 0; f < kFilesPerDirectory && ok_; ++f) {
        QFile file(dir + QStringLiteral("/file%1.bin").arg(f, 3, 10, QLatin1Char('0')));
        ok_ = file.open(QIODevice::WriteOnly) && file.write(content) == kFileSize;
      }
    }
  }
  bool ok() const { return ok_ && dir_.isValid(); }
  QString source() const { return dir_.path() + QStringLiteral("/src"); }
  QString target() const { return dir_.path() + QStringLiteral("/out"); }
  bool clearTarget() const { return QDir(target()).removeRecursively(); }

 private:
  QTemporaryDir dir_;
  bool ok_ = true;
};

SourceTree& tree() {
  static SourceTree instance;
  return instance;
}

// copyFiles of one "*" set into an empty target, with the log at warning level.
void BM_CopyFilesTree10000(benchmark::State& state) {
  logger::LogManager* log = logger::LogManager::instance();
  log->addRef();
  log->setLevel(logger::LogWarning);
  SourceTree& t = tree();
  FileSetInfo set;
  set.dir = t.source();
  set.includes.push_back({QStringLiteral("*"), QString(), QString()});
  const std::vector<FileSetInfo> sets{set};
  for (auto _ : state) {
    state.PauseTiming();
    if (!t.ok() || !t.clearTarget()) state.SkipWithError("no source tree or target left over");
    state.ResumeTiming();
    if (copyFiles(sets, t.target(), QString(), QStringLiteral("release"), nullptr, nullptr, {}) != 0)
      state.SkipWithError("copy failed");
  }
  log->release();
}
BENCHMARK(BM_CopyFilesTree10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// `cp -r` of the same tree into an empty target: the reference.
void BM_CpRTree10000(benchmark::State& state) {
  SourceTree& t = tree();
  for (auto _ : state) {
    state.PauseTiming();
    if (!t.ok() || !t.clearTarget()) state.SkipWithError("no source tree or target left over");
    state.ResumeTiming();
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), t.source(), t.target()}) != 0)
      state.SkipWithError("cp failed");
  }
}
BENCHMARK(BM_CpRTree10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
