// The process and system variable tasks run by the real program on job files in a
// temporary directory, with a system-wide variable file of the test's own.

#include "varkel_run.h"

#include <gtest/gtest.h>

namespace {

using JobRun = RunResult;

// The program run on a job of the given tasks, with every DIR in a written file replaced.
class ProcessJob : public VarkelRun {
 public:
  void write(const QString& name, const QString& text, bool executable = false) {
    VarkelRun::write(name, inDir(text), executable);
  }

  RunResult run(const QString& tasks, const QStringList& arguments = {}) {
    writeTasks(tasks);
    return runArguments(arguments.isEmpty() ? QStringList{"-job", "job.xml"} : arguments);
  }
  void writeTasks(const QString& tasks) {
    write("job.xml", "<?xml version=\"1.0\"?>\n<project>\n<tasks>\n" + tasks + "\n</tasks>\n</project>\n");
  }
  RunResult runArguments(const QStringList& arguments) { return VarkelRun::run(arguments); }
};

TEST(ProcessTasksEndToEnd, ExampleJobStartsItsProgramWhenTheConditionHolds) {
  ProcessJob job;
  ASSERT_READY(job);
  const JobRun r = job.runArguments(
      {"-job", QFileInfo(QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/hello/job.xml")).absoluteFilePath()});
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("Condition was calculated successfully. Condition is true."));
  EXPECT_TRUE(r.logHas("Hello from a program\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] The program ended with exit code 0.\r\n"));
}

TEST(ProcessTasksEndToEnd, ProgramsShellCommandsAndEnvironmentVariables) {
  ProcessJob job;
  ASSERT_READY(job);
  ASSERT_TRUE(QDir().mkpath(job.path("work")));
  job.write("tool.sh", "#!/bin/sh\nprintf '[%s]' \"$@\"; echo \" $VARKEL_E2E_GREETING in $(pwd -P)\"; exit 3\n", true);
  job.write("marker.sh", "#!/bin/sh\ntouch DIR/marker\n", true);
  job.write("environment", "# kept\nVARKEL_E2E_SYS=from-file\n");
  const JobRun r = job.run(job.inDir(
      "<setsysvar name='VARKEL_E2E_GREETING' value='hi there'/>\n"
      "<exec exe=\"'DIR/tool.sh'\" dir='DIR/work' catchoutput='yes' output='DIR/out/tool.txt'\n"
      "      exitcodevar='tool.exit' waitresultvar='tool.ended'>\n"
      "  <arg value='one two'/><arg value='$HOME;x'/>\n"
      "</exec>\n"
      "<system cmd='exit 2' exitcodevar='sys.exit'/>\n"
      "<exec exe='DIR/marker.sh' condition=\"'${sys.exit}' == '3'\"/>\n"
      "<getsysvar name='VARKEL_E2E_SYS' valuevar='sys.value' system='yes'/>\n"
      "<setsysvar name='VARKEL_E2E_WRITTEN' value='%PATH%' system='true'/>\n"
      "<expandsysvar text='%VARKEL_E2E_GREETING%!' valuevar='expanded'/>\n"
      "<echo message='tool ${tool.exit} ${tool.ended} system ${sys.exit} file ${sys.value} ${expanded}'/>"));
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  const QString workDir = QFileInfo(job.path("work")).canonicalFilePath();
  EXPECT_EQ("[one two][$HOME;x] hi there in " + workDir + "\n", job.read("out/tool.txt"));
  EXPECT_TRUE(r.logHas("[Echo] tool 3 true system 2 file from-file hi there!\r\n")) << qPrintable(r.log);
  EXPECT_FALSE(QFileInfo::exists(job.path("marker")));
  EXPECT_EQ("# kept\nVARKEL_E2E_SYS=from-file\nVARKEL_E2E_WRITTEN=%PATH%\n", job.read("environment"));
}

TEST(ProcessTasksEndToEnd, FailuresOfTheTasksAreTheRunsResult) {
  const struct {
    const char* name;
    const char* tasks;
    int exitCode;
    const char* logLine;
    bool nextRuns;
  } cases[] = {
      {"program that cannot start", "<exec exe='DIR/no/such/program' exitcodevar='c' resultvar='r'/>", 81,
       "[ProcessHelper] Failed to start process. Command: DIR/no/such/program", false},
      {"not failing on error", "<exec exe='DIR/no/such/program' failonerror='no' resultvar='r'/>", 0,
       "[Exec] Failed to starte process. Error: 81. Task ID: 1\r\n", true},
      {"empty command", "<system cmd='  '/>", 316 & 0xff, "[System] The command to execute not defined. Task ID: 1\r\n",
       false},
      {"no program", "<exec exe=\"''\"/>", 316 & 0xff, "[Exec] The command to execute not defined. Task ID: 1\r\n",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessJob job;
    ASSERT_READY(job);
    const JobRun r = job.run(job.inDir(QString(c.tasks) + "\n<echo message='next ${r}'/>"));
    EXPECT_EQ(c.exitCode, r.exitCode) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(job.inDir(c.logLine))) << qPrintable(r.log);
    EXPECT_EQ(c.nextRuns, r.logHas("[Echo] next 81\r\n"));
  }
}

TEST(ProcessTasksEndToEnd, NothingTheRunStartedOutlivesIt) {
  // The pids are written before the job goes on: a waiting time could end sooner.
  const char* const waitForPids =
      "<system cmd='for i in $(seq 600); do [ -s DIR/script.pid ] &amp;&amp; break; sleep 0.1; done'/>";
  const struct {
    const char* name;
    const char* tasks;
  } cases[] = {
      {"a program left running after its waiting time, with its child",
       "<exec exe='DIR/script.sh' waittime='300' waitresultvar='ended'/>\n<echo message='ended ${ended}'/>"},
      {"a program that ends and leaves its child behind", "<exec exe='DIR/leaves.sh'/>"},
      {"a command that ends and leaves its child behind",
       "<system cmd='sleep 300 &amp; echo $! &gt; DIR/child.pid; echo $$ &gt; DIR/script.pid'/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessJob job;
    ASSERT_READY(job);
    job.write("script.sh", kScriptWithAChild, true);
    job.write("leaves.sh", "#!/bin/sh\nsleep 300 &\necho $! > DIR/child.pid\necho $$ > DIR/script.pid\n", true);
    const JobRun r = job.run(job.inDir(QString(c.tasks) + "\n" + waitForPids));
    EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas("[Mgr] Finish. Processes still running at the end of the run were ended: "))
        << qPrintable(r.log);
    job.expectEnded({"script.pid", "child.pid"});
  }
}

TEST(ProcessTasksEndToEnd, AStopSignalEndsTheRunAndWhatItStarted) {
  const struct {
    const char* name;
    const char* task;
    int signal;
    const char* signalName;
    const char* logLine;  // of the program's end
  } cases[] = {
      {"exec, SIGTERM", "<exec exe='DIR/script.sh' catchoutput='yes'/>", 15, "SIGTERM",
       "[Exec] The program was ended by the signal SIGTERM. Exit code: 143. Task ID: 1\r\n"},
      {"exec writing to our console, SIGHUP", "<exec exe='DIR/script.sh' show='no'/>", 1, "SIGHUP",
       "[Exec] The program was ended by the signal SIGTERM. Exit code: 143. Task ID: 1\r\n"},
      {"system, SIGINT", "<system cmd='DIR/script.sh'/>", 2, "SIGINT",
       "[System] The command was ended by the signal SIGTERM. Exit code: 143. Task ID: 1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Inherited from whoever runs the tests: the program rightly keeps ignoring it.
    if (testing_support::ignoresSignal(c.signal)) continue;
    ProcessJob job;
    ASSERT_READY(job);
    job.write("script.sh", kScriptWithAChild, true);
    job.writeTasks(job.inDir(QString(c.task) + "\n<echo message='next'/>"));
    const JobRun r = job.runAndStop({"-job", "job.xml"}, QString::number(c.signal));
    EXPECT_EQ(c.signal, r.endSignal) << "the program dies by the signal; exit code " << r.exitCode;
    EXPECT_TRUE(r.logHas(c.logLine)) << qPrintable(r.log);
    EXPECT_FALSE(r.logHas("[Echo] next")) << "a stopped run starts nothing more";
    EXPECT_TRUE(lastLogLine(r).endsWith(QString("[Mgr] Finish. The run was stopped by the signal ") + c.signalName +
                                        ". Result 30 leaves the process with exit code " +
                                        QString::number(128 + c.signal) + "."))
        << qPrintable(lastLogLine(r));
    job.expectEnded({"script.pid", "child.pid"});
  }
}

TEST(ProcessTasksEndToEnd, ARunStuckOutsideItsTasksIsGivenUpOrEndedByALaterStopSignal) {
  const struct {
    const char* name;
    int secondAfterMs;
    QStringList told;  // pieces of the log's last line, also told on standard error
  } cases[] = {
      // More than a second after the first: not part of the same stop.
      {"a later signal asks for haste",
       1500,
       {"[Mgr] Finish. Another stop signal, SIGTERM, came ",
        " ms after SIGTERM: the run was ended at once. The process ends by the signal SIGTERM (exit code 143)."}},
      {"one that comes with the first is the same stop: the run is given up after its time",
       100,
       {"[Mgr] Finish. The run did not wind up within 10 s of SIGTERM: it was ended. The process ends by the signal "
        "SIGTERM (exit code 143)."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessJob job;
    ASSERT_READY(job);
    // A job file that is a pipe without a writer: reading it waits for ever.
    ASSERT_TRUE(testing_support::makeFifo(job.path("job.xml")));
    QProcess p;
    job.start(p, {"-job", job.path("job.xml")});
    ASSERT_TRUE(job.waitForOutput(p, job.path("job.xml").toUtf8()));  // the command line, logged
    QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
    QThread::msleep(c.secondAfterMs);
    QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
    const JobRun r = job.finish(p);
    EXPECT_EQ(15, r.endSignal);
    for (const QString& piece : c.told) {
      EXPECT_TRUE(lastLogLine(r).contains(piece)) << qPrintable(r.log);
      EXPECT_TRUE(r.err.contains(piece.mid(piece.indexOf("Finish.")))) << qPrintable(r.err);
    }
  }
}

TEST(ProcessTasksEndToEnd, AProgramEndedByASignalStores128PlusItWithAWarning) {
  const struct {
    const char* name;
    const char* task;
    const char* exitCode;
    const char* warning;
  } cases[] = {
      {"exec, SIGSEGV", "<exec exe='DIR/crash.sh' exitcodevar='c' resultvar='r'><arg value='SEGV'/></exec>", "139",
       "[Exec] The program was ended by the signal SIGSEGV. Exit code: 139. Task ID: 1\r\n"},
      {"exec, SIGKILL", "<exec exe='DIR/crash.sh' exitcodevar='c' resultvar='r'><arg value='KILL'/></exec>", "137",
       "[Exec] The program was ended by the signal SIGKILL. Exit code: 137. Task ID: 1\r\n"},
      {"system, SIGSEGV", "<system cmd='kill -SEGV $$' exitcodevar='c' resultvar='r'/>", "139",
       "[System] The command was ended by the signal SIGSEGV. Exit code: 139. Task ID: 1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessJob job;
    ASSERT_READY(job);
    job.write("crash.sh", "#!/bin/sh\nkill -$1 $$\n", true);
    const JobRun r = job.run(job.inDir(QString(c.task) + "\n<echo message='code ${c} result ${r}'/>"));
    EXPECT_EQ(0, r.exitCode) << "a program's end is never the task's failure";
    EXPECT_TRUE(r.logHas(QString("[Echo] code ") + c.exitCode + " result 0\r\n")) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(c.warning)) << qPrintable(r.log);
  }
}

TEST(ProcessTasksEndToEnd, AnOutputFileThatCannotBeWrittenFailsTheExecTask) {
  if (!testing_support::haveFullDevice()) GTEST_SKIP() << "no /dev/full that refuses every write";
  ProcessJob job;
  ASSERT_READY(job);
  // Through a link: whatever the program does with the path, the device stays.
  ASSERT_TRUE(QDir().mkpath(job.path("out")));
  ASSERT_TRUE(QFile::link("/dev/full", job.path("out/full.txt")));
  // More than a pipe holds: a program whose output was no longer read would never end.
  job.write("talk.sh", "#!/bin/sh\nhead -c 1000000 /dev/zero | tr '\\0' x\necho\necho last words\nexit 4\n", true);
  const JobRun r = job.run(job.inDir(
      "<exec exe='DIR/talk.sh' catchoutput='yes' output='DIR/out/full.txt' exitcodevar='c' waitresultvar='e'\n"
      "      resultvar='r' failonerror='no'/>\n"
      "<echo message='code ${c} ended ${e} result ${r}'/>"));
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log.right(2000));
  EXPECT_TRUE(r.logHas(
      job.inDir("[ProcessHelper] Failed to write file: 'DIR/out/full.txt': No space left on device.\r\n")))
      << qPrintable(r.log.right(2000));
  EXPECT_TRUE(
      r.logHas(job.inDir("[Exec] Failed to write the output file: 'DIR/out/full.txt'. Error: 82. Task ID: 1\r\n")));
  EXPECT_TRUE(r.logHas("\nlast words\n")) << "the output is still read to its end and logged";
  EXPECT_TRUE(r.logHas("[Echo] code 4 ended true result 82\r\n"));
  EXPECT_TRUE(QFileInfo(job.path("out/full.txt")).isSymLink());
}

// An output file that cannot be opened fails the task as one that cannot be written,
// and the run with it; the program still runs and its output is logged.
TEST(ProcessTasksEndToEnd, AnOutputFileThatCannotBeOpenedFailsTheExecTask) {
  struct Case {
    const char* name;
    const char* output;
    const char* reason;
  };
  const Case cases[] = {
      {"its directory is a file", "DIR/taken/tool.txt", "Not a directory"},
      {"it is a directory", "DIR/folder", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessJob job;
    ASSERT_READY(job);
    job.write("taken", "a file\n");
    ASSERT_TRUE(QDir().mkpath(job.path("folder")));
    job.write("tool.sh", "#!/bin/sh\necho still heard\n", true);
    const QString output = job.inDir(c.output);
    const JobRun r = job.run("<exec exe='" + job.path("tool.sh") + "' catchoutput='yes' output='" + output +
                             "' resultvar='r'/>\n<echo message='not reached'/>");
    EXPECT_EQ(r.exitCode, 82) << qPrintable(r.log.right(2000));
    EXPECT_TRUE(r.logHas("[ProcessHelper] Failed to open file: '" + output + "': " + c.reason + ".\r\n"))
        << qPrintable(r.log.right(2000));
    EXPECT_TRUE(r.logHas("[Exec] Failed to write the output file: '" + output + "'. Error: 82. Task ID: 1\r\n"));
    EXPECT_TRUE(r.logHas("still heard\n"));
    EXPECT_FALSE(r.logHas("[Echo] not reached"));
    EXPECT_EQ(job.read("taken"), "a file\n");
    EXPECT_TRUE(QFileInfo(job.path("folder")).isDir());
  }
}

}  // namespace
