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
    write("job.xml", "<?xml version=\"1.0\"?>\n<project>\n<tasks>\n" + tasks + "\n</tasks>\n</project>\n");
    return runArguments(arguments.isEmpty() ? QStringList{"-job", "job.xml"} : arguments);
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

TEST(ProcessTasksEndToEnd, AProgramLeftRunningEndsWithTheRun) {
  ProcessJob job;
  ASSERT_READY(job);
  // Outlives the harness's timeout: a run that waited for it would be reported as hung.
  job.write("long.sh", "#!/bin/sh\necho $$ > DIR/pid\nexec sleep 600\n", true);
  const JobRun r = job.run(job.inDir(
      "<exec exe='DIR/long.sh' waittime='300' waitresultvar='ended'/>\n<echo message='ended ${ended}'/>"));
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] ended false\r\n"));
  const QString pid = job.read("pid").trimmed();
  ASSERT_FALSE(pid.isEmpty());
  if (QFileInfo::exists("/proc/" + pid)) {
    QProcess::execute("kill", {"-9", pid});
    ADD_FAILURE() << "the program outlived the run";
  }
}

}  // namespace
