#include "core/log_appenders.h"
#include "core/logger.h"

#include <QDateTime>
#include <QTemporaryDir>

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

// The text of a task's details block: about 700 characters in 20 lines.
QString detailsText() {
  QString text = QStringLiteral("Try to start task:");
  for (int i = 0; i < 20; ++i) text += QStringLiteral("\r\n    Some label %1: 'a value of the task'").arg(i);
  return text;
}

// One line of the log file in UTF-8, with the date and time of a statement.
void BM_FormatLogLine(benchmark::State& state) {
  logger::LogEntry entry;
  entry.time = QDateTime::currentMSecsSinceEpoch();
  entry.processId = 4312;
  entry.threadId = 4312;
  entry.level = logger::LogInfo;
  entry.tag = QStringLiteral("Foreach");
  entry.text = detailsText();
  for (auto _ : state) benchmark::DoNotOptimize(logger::formatLogLine(entry, true));
}
BENCHMARK(BM_FormatLogLine);

// A whole statement as the program writes it: built, stamped and written by the file
// appender with one write of its own (the file is emptied each time it passes 10 MB).
void BM_LogStatementToFile(benchmark::State& state) {
  QTemporaryDir dir;
  logger::LogManager* m = logger::LogManager::instance();
  m->addRef();
  m->setLevel(logger::LogTrace);
  m->addAppender(new logger::LogAppenderFile(logger::LogAppenderFile::kDefaultSizeLimit,
                                             dir.filePath(QStringLiteral("build_system.log"))));
  const QString text = detailsText();
  for (auto _ : state) VLOG_INFO("Foreach") << text;
  m->release();
}
BENCHMARK(BM_LogStatementToFile);

}  // namespace
