// Runs of the real program that share one file of system-wide variables.

#include "platform/file_lock.h"
#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <memory>
#include <vector>

namespace {

constexpr int kSigTerm = 15;

TEST(SystemEnvironmentEndToEnd, RunsAtOnceKeepEveryOnesVariables) {
  constexpr int kRuns = 3;
  constexpr int kVariables = 20;
  std::vector<std::unique_ptr<VarkelRun>> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.push_back(std::make_unique<VarkelRun>());
    ASSERT_READY(*runs.back());
  }
  const QString shared = runs.front()->path("environment");
  runs.front()->write("environment", "# kept\nBEFORE=1\n");
  for (int i = 0; i < kRuns; ++i) {
    QString tasks = "<tasks>\n";
    for (int v = 0; v < kVariables; ++v)
      tasks += QString("<setsysvar name='RUN%1_VAR%2' value='value %1 %2' system='yes'/>\n").arg(i).arg(v);
    runs[i]->writeJob("job.xml", tasks + "</tasks>");
    runs[i]->setEnv("VARKEL_SYSTEM_ENVIRONMENT_FILE", shared);
  }
  std::vector<std::unique_ptr<QProcess>> processes;
  for (int i = 0; i < kRuns; ++i) {
    processes.push_back(std::make_unique<QProcess>());
    runs[i]->start(*processes.back(), {"-job", "job.xml"});
  }
  for (int i = 0; i < kRuns; ++i) {
    const RunResult r = runs[i]->finish(*processes[i]);
    EXPECT_EQ(0, r.exitCode) << "run " << i << "\n" << qPrintable(r.log);
  }
  QStringList expected;
  for (int i = 0; i < kRuns; ++i)
    for (int v = 0; v < kVariables; ++v) expected << QString("RUN%1_VAR%2=\"value %1 %2\"").arg(i).arg(v);
  expected.sort();
  QStringList lines = runs.front()->read("environment").split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ((QStringList{"# kept", "BEFORE=1"}), lines.mid(0, 2));
  lines = lines.mid(2);
  lines.sort();
  EXPECT_EQ(expected, lines);
}

TEST(SystemEnvironmentEndToEnd, AStopEndsTheWaitForAnotherWritersLock) {
  VarkelRun job;
  ASSERT_READY(job);
  job.write("environment", "A=1\n");
  job.writeJob("job.xml", job.inDir("<tasks>\n<exec exe='/bin/echo' show='no'><arg value='ready'/></exec>\n"
                                    "<setsysvar name='B' value='2' system='yes'/>\n</tasks>"));
  // Another writer holds the file for as long as this test runs.
  QFile other(job.path("environment"));
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  ASSERT_EQ(0, platform::tryFileLock(other.handle(), platform::FileLock::Exclusive));

  QProcess p;
  job.start(p, {"-job", "job.xml"});
  ASSERT_TRUE(job.waitForOutput(p, "ready"));
  EXPECT_TRUE(testing_support::someoneWaitsForLock(job.path("environment"), kRunTimeoutMs))
      << "the run never waited for the lock";
  QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
  const RunResult r = job.finish(p);
  EXPECT_EQ(kSigTerm, r.endSignal);
  EXPECT_TRUE(r.logHas("Cannot lock the system environment file '" + job.path("environment") +
                       "': a stop came while waiting for it."))
      << qPrintable(r.log);
  EXPECT_TRUE(lastLogLine(r).contains("[Mgr] Finish. The run was stopped by the signal SIGTERM.")) << qPrintable(r.log);
  EXPECT_EQ("A=1\n", job.read("environment"));
}

// A run as nobody, of nobody's own file in a directory of nobody's: a file it may only read
// is still replaced, one it may not read cannot be changed.
TEST(SystemEnvironmentEndToEnd, AnotherUsersRunWritesItsReadOnlyFileButNotOneItMayNotRead) {
  if (!canRunAsNobody()) GTEST_SKIP() << "cannot switch to the user nobody here";
  const struct {
    const char* name;
    QFile::Permissions mode;
    const char* line;
    const char* after;
  } cases[] = {
      {"read-only", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther,
       "[SetSysVar] System environment variable has been updated.", "A=1\nB=2\n"},
      {"write-only", QFile::WriteOwner, "Failed to call 'setSystemEnvironmentVariable'. Native error: 13", "A=1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    ASSERT_TRUE(openToNobody(v));
    v.write("own/environment", "A=1\n");
    ASSERT_EQ(0, QProcess::execute("chown", {"-R", "65534:65534", v.path("own")}));
    ASSERT_TRUE(QFile::setPermissions(v.path("own/environment"), c.mode));
    v.setEnv("VARKEL_SYSTEM_ENVIRONMENT_FILE", v.path("own/environment"));
    v.writeJob("job.xml", "<tasks><setsysvar name='B' value='2' system='yes'/></tasks>");
    runAsNobody(v);
    const RunResult r = v.runJob();
    EXPECT_TRUE(r.out.contains(c.line)) << qPrintable(r.out);  // nobody may not write the log
    EXPECT_EQ(c.mode, QFile::permissions(v.path("own/environment")) & ~QFile::Permissions(0x0700));  // this test's own access aside
    EXPECT_EQ(c.after, testing_support::readFile(v.path("own/environment")));
  }
}

}  // namespace
