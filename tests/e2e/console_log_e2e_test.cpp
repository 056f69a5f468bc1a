// The run against a console that goes away and a log file that it cannot fully use:
// neither ends the run early, holds it up, nor fails without a word.

#include "small_disk.h"
#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int kSigPipe = 13;

// Echo lines numbered 0 to count - 1.
QString echoes(const QString& prefix, int count) {
  QString body;
  for (int i = 0; i < count; ++i) body += "<echo message='" + prefix + QString::number(i) + "'/>\n";
  return body;
}

// The ignored-signal mask that a program the run started wrote into the file.
unsigned long long ignoredMaskIn(const QString& status) {
  for (const QString& line : status.split('\n'))
    if (line.startsWith("SigIgn:")) return line.mid(7).trimmed().toULongLong(nullptr, 16);
  return ~0ull;
}

// A reader that takes the first line and goes; the pipeline's status is varkel's.
TEST(ConsoleEndToEnd, AReaderThatTakesOneLineAndGoesEndsNothing) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("head.sh", v.inDir("#!/bin/bash\nset -o pipefail\n\"$@\" | head -1 > DIR/head.out\n"), true);
  v.setLauncher(v.path("head.sh"));
  v.writeJob("job.xml", v.inDir("<tasks>\n" + echoes("line ", 300) +
                                "<writefile file='DIR/end.txt'><text>done</text></writefile>\n</tasks>"));
  const RunResult r = v.runJob();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.err);
  EXPECT_EQ("done", v.read("end.txt"));
  EXPECT_TRUE(r.logHas("[Echo] line 299\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Mgr] Finish. Show message: 1. Play sound: 1. Result: 0\r\n")) << qPrintable(lastLogLine(r));
  EXPECT_EQ(1, v.read("head.out").count('\n'));
}

// The reader goes away while an exec waits for it to: what comes after runs, a child
// that the run starts then still dies of a broken pipe as programs do, and nothing that
// the run started outlives it.
TEST(ConsoleEndToEnd, AReaderThatGoesAwayMidRunLeavesTheRestOfTheRunToRun) {
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(testing_support::makeFifo(v.path("gone")));
  v.write("reader.sh",
          v.inDir("#!/bin/bash\nset -o pipefail\n"
                  "\"$@\" | { head -1 > /dev/null; exec 0<&-; timeout 30 sh -c 'echo gone > DIR/gone'; }\n"),
          true);
  v.setLauncher(v.path("reader.sh"));
  v.write("wait-for-reader.sh", v.inDir("#!/bin/sh\nexec timeout 30 cat DIR/gone > /dev/null\n"), true);
  v.write("after.sh",
          v.inDir("#!/bin/sh\nsleep 300 &\necho $! > DIR/child.pid\n"
                  "grep SigIgn /proc/self/status > DIR/status\nyes | head -1 > /dev/null\n"),
          true);
  v.writeJob("job.xml", v.inDir("<tasks>\n"
                                "<exec exe='DIR/wait-for-reader.sh'/>\n" +
                                echoes("after the reader ", 50) +
                                "<exec exe='DIR/after.sh'/>\n"
                                "<writefile file='DIR/end.txt'><text>done</text></writefile>\n"
                                "</tasks>"));
  const RunResult r = v.runJob();
  EXPECT_EQ("done", v.read("end.txt"));
  EXPECT_TRUE(r.logHas("[Echo] after the reader 49\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Mgr] Finish. Show message: 1. Play sound: 1. Result: 0\r\n")) << qPrintable(lastLogLine(r));
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.err);
  if (!testing_support::ignoresSignal(kSigPipe)) {
    EXPECT_EQ(0u, ignoredMaskIn(v.read("status")) & (1ull << (kSigPipe - 1))) << qPrintable(v.read("status"));
  }
  v.expectEnded({"child.pid"});
}

// 0622: a file that nobody may write but not read.
bool makeWriteOnlyLog(VarkelRun& v, const QString& text) {
  v.write("logs/build_system.log", text);
  return QFile::setPermissions(v.path("logs/build_system.log"),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

TEST(LogFileEndToEnd, ARunThatMayWriteTheLogButNotReadItEmptiesNothing) {
  if (!canRunAsNobody()) GTEST_SKIP() << "cannot switch to the user nobody here";
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(openToNobody(v));
  ASSERT_TRUE(makeWriteOnlyLog(v, "from an earlier run\r\n"));
  runAsNobody(v);
  v.writeJob("job.xml", "<tasks><echo message='from nobody'/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.err);
  EXPECT_TRUE(r.log.startsWith("from an earlier run\r\n")) << qPrintable(r.log.left(200));
  EXPECT_TRUE(r.logHas("[Echo] from nobody\r\n"));
}

// A run that may write the log but not read it, and another one that may read it too:
// the second one ends while the first is still running.
TEST(LogFileEndToEnd, ARunThatMayNotReadTheLogHoldsUpNoOtherRun) {
  if (!canRunAsNobody()) GTEST_SKIP() << "cannot switch to the user nobody here";
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(openToNobody(v));
  ASSERT_TRUE(makeWriteOnlyLog(v, QString()));
  ASSERT_TRUE(testing_support::makeFifo(v.path("release")));
  ASSERT_TRUE(QFile::setPermissions(v.path("release"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
  v.write("wait.sh", v.inDir("#!/bin/sh\nexec timeout 20 cat DIR/release\n"), true);
  ASSERT_TRUE(QFile::setPermissions(v.path("wait.sh"), QFile::permissions(v.path("varkel"))));
  v.writeJob("first.xml", v.inDir("<tasks><echo message='first begins'/><exec exe='DIR/wait.sh'/>"
                                  "<echo message='first ends'/></tasks>"));
  v.writeJob("second.xml", "<tasks><echo message='second'/></tasks>");
  runAsNobody(v);
  QProcess first;
  v.start(first, {"-job", "first.xml"});
  ASSERT_TRUE(v.waitForOutput(first, "first begins"));
  v.setLauncher(QString());
  QProcess second;
  v.start(second, {"-job", "second.xml"});
  const RunResult rs = v.finish(second);
  EXPECT_EQ(QProcess::Running, first.state()) << "the second run waited for the first one to end";
  QProcess release;
  testing_support::startFifoWriter(release, v.path("release"), "go");
  const RunResult rf = v.finish(first);
  release.waitForFinished();
  EXPECT_EQ(0, rs.exitCode) << qPrintable(rs.err);
  EXPECT_EQ(0, rf.exitCode) << qPrintable(rf.err);
  EXPECT_TRUE(rf.logHas("[Echo] second\r\n")) << qPrintable(rf.log);
  EXPECT_TRUE(rf.logHas("[Echo] first ends\r\n")) << qPrintable(rf.log);
}

// Another program holds a lock on the whole log for a while (python's fcntl speaks the
// same locks); it says "held" once it has it.
bool startLockHolder(QProcess& holder, const QString& path, int seconds) {
  if (QStandardPaths::findExecutable("python3").isEmpty()) return false;
  const QString script = QString(
                             "import fcntl, os, struct, sys, time\n"
                             "fd = os.open(sys.argv[1], os.O_RDWR | os.O_CREAT)\n"
                             "fcntl.fcntl(fd, fcntl.F_OFD_SETLK, struct.pack('hhqqi', fcntl.F_WRLCK, 0, 0, 0, 0))\n"
                             "print('held', flush=True)\n"
                             "time.sleep(%1)\n")
                             .arg(seconds);
  holder.start("python3", {"-c", script, path});
  return holder.waitForReadyRead(kRunTimeoutMs) && holder.readAll().startsWith("held");
}

// Past its wait, a run writes the log without its lock: it ends, with every line in the
// log, while the other program still holds the lock.
TEST(LogFileEndToEnd, ALockThatAnotherProgramKeepsHoldsTheRunUpOnlyForAWhile) {
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(QDir().mkpath(v.path("logs")));
  QProcess holder;
  if (!startLockHolder(holder, v.path("logs/build_system.log"), 50)) GTEST_SKIP() << "no python3 with fcntl here";
  v.writeJob("job.xml", "<tasks><echo message='written'/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(QProcess::Running, holder.state()) << "the run waited until the lock was let go";
  holder.kill();
  holder.waitForFinished();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.err);
  EXPECT_TRUE(r.logHas("[Echo] written\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Mgr] Finish. Show message: 1. Play sound: 1. Result: 0\r\n")) << qPrintable(lastLogLine(r));
}

// A stop that comes while the run waits for the lock gets it out: it winds up by itself.
TEST(LogFileEndToEnd, AStopGetsTheRunOutOfItsWaitForTheLock) {
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(QDir().mkpath(v.path("logs")));
  QProcess holder;
  if (!startLockHolder(holder, v.path("logs/build_system.log"), 50)) GTEST_SKIP() << "no python3 with fcntl here";
  v.writeJob("job.xml", "<tasks><echo message='written'/></tasks>");
  QProcess p;
  v.start(p, {"-job", "job.xml"});
  ASSERT_TRUE(p.waitForStarted());
  // The run's wait shows in /proc/locks as a request blocked behind the lock on the log.
  QProcess stat;
  stat.start("stat", {"-c", "%i", v.path("logs/build_system.log")});
  ASSERT_TRUE(stat.waitForFinished(kRunTimeoutMs));
  const QByteArray inode = ":" + stat.readAllStandardOutput().trimmed() + " ";
  bool waiting = false;
  for (int i = 0; i < 200 && !waiting && p.state() == QProcess::Running; ++i) {
    for (const QByteArray& line : testing_support::readFile("/proc/locks").split('\n'))
      waiting = waiting || (line.contains("->") && line.contains(inode));
    if (!waiting) p.waitForFinished(25);
  }
  EXPECT_TRUE(waiting) << "the run never waited for the lock";
  QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
  const RunResult r = v.finish(p);
  holder.kill();
  holder.waitForFinished();
  EXPECT_EQ(15, r.endSignal) << qPrintable(r.err);
  EXPECT_FALSE(r.err.contains("did not wind up")) << qPrintable(r.err);
  EXPECT_TRUE(lastLogLine(r).contains("SIGTERM")) << qPrintable(lastLogLine(r));
}

struct UnwritableLogCase {
  const char* name;
  bool logDirExists;
};

// A log that cannot be opened is told once on standard error, with its path and why; the
// console has every line and the run's result is the exit code.
class LogFileUnwritable : public ::testing::TestWithParam<UnwritableLogCase> {};

TEST_P(LogFileUnwritable, IsToldOnceOnStandardError) {
  if (!canRunAsNobody()) GTEST_SKIP() << "cannot switch to the user nobody here";
  VarkelRun v;
  ASSERT_READY(v);
  if (GetParam().logDirExists) {
    ASSERT_TRUE(QDir().mkpath(v.path("logs")));
  }
  ASSERT_TRUE(openToNobody(v));
  runAsNobody(v);
  v.setEnv("LC_ALL", "C");
  v.writeJob("job.xml", "<tasks><echo message='on the console'/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_TRUE(r.out.contains("[Echo] on the console")) << qPrintable(r.out);
  EXPECT_TRUE(r.log.isEmpty());
  EXPECT_EQ(1, r.err.count("build_system.log")) << qPrintable(r.err);
  EXPECT_TRUE(r.err.contains(v.path("logs/build_system.log") + "'")) << qPrintable(r.err);
  EXPECT_TRUE(r.err.contains("Permission denied")) << qPrintable(r.err);
  EXPECT_EQ(0, r.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Cases, LogFileUnwritable,
                         ::testing::Values(UnwritableLogCase{"NoLogDirectoryAndAProgramDirectoryOfRoot", false},
                                           UnwritableLogCase{"ALogDirectoryOfRoot", true}),
                         [](const ::testing::TestParamInfo<UnwritableLogCase>& row) { return row.param.name; });

// The log lies on a disk that fills up during the run: said once, the run goes on.
TEST(LogFileEndToEnd, ALogWriteThatFailsIsToldOnceAndTheRunGoesOn) {
  VarkelRun v;
  ASSERT_READY(v);
  if (!small_disk::runOnSmallDisk(v, 16)) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  v.setEnv("LC_ALL", "C");
  ASSERT_TRUE(QDir().mkpath(v.path("seed/logs")));
  ASSERT_TRUE(QFile::link(v.path("disk/logs"), v.path("logs")));
  v.writeJob("job.xml", "<tasks>\n" + echoes("line ", 400) + "</tasks>");
  const RunResult r = v.runJob();
  ASSERT_NE(small_disk::kNoDisk, r.exitCode) << qPrintable(r.err);
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.err);
  EXPECT_TRUE(r.out.contains("[Echo] line 399")) << "the console has every line";
  EXPECT_EQ(1, r.err.count("build_system.log")) << qPrintable(r.err);
  EXPECT_TRUE(r.err.contains(v.path("logs/build_system.log") + "'")) << qPrintable(r.err);
  EXPECT_TRUE(r.err.contains("No space left on device")) << qPrintable(r.err);
  EXPECT_FALSE(v.read("after/logs/build_system.log").isEmpty());
}

}  // namespace
