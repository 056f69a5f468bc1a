#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kTasks = 200;

// One run of the varkel binary over a job of 200 exec tasks of /bin/true at log level
// warning, against 200 bare spawns of /bin/true measured in the same iteration.
// Counters: bare_spawn_ms per spawn, exec_task_ms per task of the whole run,
// beyond_spawn_ms their difference.
void BM_ExecJob200True(benchmark::State& state) {
  const QString varkel = QCoreApplication::applicationDirPath() + QLatin1String("/varkel");
  if (!QFileInfo(varkel).isExecutable()) {
    state.SkipWithError("the varkel binary is not built");
    return;
  }
  QTemporaryDir dir;
  const QString job = dir.filePath(QStringLiteral("job.xml"));
  {
    QFile file(job);
    if (!file.open(QIODevice::WriteOnly)) {
      state.SkipWithError("cannot write the job file");
      return;
    }
    QByteArray text = "<project>\n<vars><var name=\"log.level\" value=\"warning\"/></vars>\n<tasks>\n";
    for (int i = 0; i < kTasks; ++i) text += "<exec exe=\"/bin/true\"/>\n";
    file.write(text + "</tasks>\n</project>\n");
  }

  double bareMs = 0;
  double runMs = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kTasks; ++i) {
      QProcess p;
      p.start(QStringLiteral("/bin/true"), QStringList());
      p.waitForFinished(-1);
    }
    const qint64 bareNs = timer.nsecsElapsed();

    QProcess run;
    run.setStandardOutputFile(QProcess::nullDevice());
    run.setStandardErrorFile(QProcess::nullDevice());
    timer.restart();
    run.start(varkel, {QStringLiteral("-job"), job});
    run.waitForFinished(-1);
    const qint64 runNs = timer.nsecsElapsed();
    if (run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
      state.SkipWithError("varkel failed");
      return;
    }
    state.SetIterationTime(static_cast<double>(runNs) / 1e9);
    bareMs += static_cast<double>(bareNs) / 1e6;
    runMs += static_cast<double>(runNs) / 1e6;
  }
  const double n = static_cast<double>(state.iterations()) * kTasks;
  state.counters["bare_spawn_ms"] = bareMs / n;
  state.counters["exec_task_ms"] = runMs / n;
  state.counters["beyond_spawn_ms"] = (runMs - bareMs) / n;
}
BENCHMARK(BM_ExecJob200True)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
