#include "varkel_run.h"

#include "core/variables_expanders.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <vector>

namespace {

TEST(VarkelEndToEnd, OneRunFromJobToExitCode) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml",
             "<vars><var name=\"who\" value=\"world\"/></vars>\n"
             "<tasks>\n"
             "  <echo message=\"hello ${who}\" condition=\"'${who}' == 'world'\"/>\n"
             "  <echo message=\"unreached\" condition=\"'${who}' == 'moon'\"/>\n"
             "</tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_FALSE(r.crashed);
  EXPECT_TRUE(r.logHas("[Mgr] [PerformTasks] Number of tasks (root tasks) to process: 2\r\n"));
  EXPECT_TRUE(r.logHas("[Mgr] [PerformTasks] Try to start the task. Task name: Echo. Task ID: 1. Task type: 400"));
  EXPECT_TRUE(r.logHas("[Echo] hello world\r\n"));
  EXPECT_FALSE(r.logHas("[Echo] never"));
  EXPECT_TRUE(r.logHas("[Mgr] Finish. Show message: 1. Play sound: 1. Result: 0\r\n"));
  EXPECT_TRUE(r.out.contains("[Echo] hello world")) << "the console shows the log as well";
  EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
}

// A child that writes to the same console, and reads the log file, while the run goes on:
// each statement is on the console and in the file before the next step, nothing held back.
TEST(VarkelEndToEnd, LogLinesAreOutBeforeAChildWritesToTheSameConsole) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("child.sh", "#!/bin/sh\necho child-begins\ngrep -F '[Echo] before-child' logs/build_system.log\n", true);
  v.writeJob("job.xml", v.inDir("<tasks>\n"
                                "  <echo message='before-child'/>\n"
                                "  <exec exe='DIR/child.sh' show='no'/>\n"
                                "  <echo message='after-child'/>\n"
                                "</tasks>"));
  const RunResult r = v.runJob();
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  const QStringList lines = r.out.split('\n');
  auto first = [&](const QString& part, int from = 0) {
    for (int i = from; i < lines.size(); ++i)
      if (lines[i].contains(part)) return i;
    return -1;
  };
  const int before = first("[Echo] before-child\r");
  const int child = first("child-begins");
  const int fromFile = first("[Echo] before-child\r", child + 1);
  const int after = first("[Echo] after-child\r");
  EXPECT_LE(0, before) << qPrintable(r.out);
  EXPECT_LT(before, child) << qPrintable(r.out);
  EXPECT_EQ(child + 1, fromFile) << "the child found the line in the file: " << qPrintable(r.out);
  EXPECT_TRUE(lines.value(fromFile).contains(QRegularExpression("^\\[\\d{4}/\\d\\d/\\d\\d ")))
      << "a dated line, from the file";
  EXPECT_LT(fromFile, after) << qPrintable(r.out);
}

// Two runs at once from one program directory share its log: the runs meet (through a
// pipe) once both have the log open, then each writes its lines while the other writes
// its own. Every line of both is there, whole, with its run's process id, and the log of
// an earlier run is gone.
TEST(VarkelEndToEnd, TwoRunsAtOnceKeepEveryLineOfBothInTheLog) {
  constexpr int kLines = 2000;
  VarkelRun v;
  ASSERT_READY(v);
  v.write("logs/build_system.log", "from an earlier run\r\n");
  ASSERT_TRUE(testing_support::makeFifo(v.path("meet")));
  // Each side gives up after a while, so that a run that never came leaves nothing behind.
  v.write("meet-a.sh", v.inDir("#!/bin/sh\nexec timeout 30 sh -c 'echo met > DIR/meet'\n"), true);
  v.write("meet-b.sh", v.inDir("#!/bin/sh\nexec timeout 30 cat DIR/meet\n"), true);
  const QStringList runs = {"A", "B"};
  for (const QString& run : runs) {
    QString body = v.inDir("<tasks>\n<exec exe='DIR/meet-" + run.toLower() + ".sh'/>\n");
    for (int i = 0; i < kLines; ++i) body += "<echo message='" + run + " line " + QString::number(i) + "'/>\n";
    v.writeJob(run + ".xml", body + "</tasks>");
  }
  QProcess a;
  QProcess b;
  // Not read until the end: a full pipe would hold a run back.
  a.setStandardOutputFile(QProcess::nullDevice());
  b.setStandardOutputFile(QProcess::nullDevice());
  v.start(a, {"-job", "A.xml"});
  v.start(b, {"-job", "B.xml"});
  const RunResult ra = v.finish(a);
  const RunResult rb = v.finish(b);
  ASSERT_EQ(0, ra.exitCode) << qPrintable(ra.err);
  ASSERT_EQ(0, rb.exitCode) << qPrintable(rb.err);
  const QString log = v.read("logs/build_system.log");  // once both have ended

  const QRegularExpression header("\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] \\[[A-Z]{5}\\] \\[");
  const QRegularExpression echo(
      "^\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] \\[[A-Z]{5}\\] \\[(\\d+)\\] \\[\\d+\\] "
      "\\[Echo\\] ([AB]) line (\\d+)\\r$");
  QMap<QString, QSet<QString>> pids;
  QMap<QString, std::vector<int>> seen{{"A", std::vector<int>(kLines)}, {"B", std::vector<int>(kLines)}};
  int broken = 0;
  for (const QString& line : log.split('\n')) {
    // A header anywhere but at the start is a line that another one cut into.
    if (line.lastIndexOf(header) > 0 && ++broken < 5) ADD_FAILURE() << "broken line: " << qPrintable(line);
    const QRegularExpressionMatch m = echo.match(line);
    if (!m.hasMatch()) continue;
    pids[m.captured(2)] << m.captured(1);
    ++seen[m.captured(2)][m.captured(3).toInt()];
  }
  EXPECT_EQ(0, broken);
  for (const QString& run : runs) {
    SCOPED_TRACE(qPrintable(run));
    EXPECT_EQ(std::vector<int>(kLines, 1), seen[run]) << "each line once";
    EXPECT_EQ(1, pids[run].size());
  }
  EXPECT_NE(pids["A"], pids["B"]);
  EXPECT_FALSE(log.contains("from an earlier run"));
}

TEST(VarkelEndToEnd, DefaultPropertyFileTurnsStopOnErrorOff) {
  const char* job =
      "<tasks>\n"
      "  <setvar name=\"this.dir\" value=\"elsewhere\"/>\n"
      "  <echo message=\"after the failure\"/>\n"
      "</tasks>";
  VarkelRun stopping;
  ASSERT_READY(stopping);
  stopping.writeJob("job.xml", job);
  const RunResult stopped = stopping.runJob();
  EXPECT_EQ(stopped.exitCode, 700 & 0xff) << "a read-only built-in refuses the store with 700";
  EXPECT_TRUE(stopped.logHas("Finish. Result 700 leaves the process with exit code 188."));
  EXPECT_FALSE(stopped.logHas("after the failure"));
  EXPECT_TRUE(stopped.err.contains("Error: 700.")) << qPrintable(stopped.err);

  VarkelRun going;
  ASSERT_READY(going);
  going.writeJob("job.xml", job);
  going.write("varkel.properties", "interrupt.tasks.on.error=false\n");
  going.write("varkel.properties.base", "marker=base\n");
  const RunResult went = going.runJob();
  EXPECT_EQ(went.exitCode, 0) << qPrintable(went.log);
  EXPECT_TRUE(went.logHas("[Echo] after the failure\r\n"));
  EXPECT_TRUE(went.logHas("varkel.properties' was loaded successfully."));
  EXPECT_FALSE(went.logHas("varkel.properties.base' was loaded")) << "only the first default file is read";
}

// A default property file that fails ends the run with its code before the job is read,
// as a failing -properties file does.
TEST(VarkelEndToEnd, AFailingDefaultPropertyFileEndsTheRun) {
  struct Case {
    const char* name;
    const char* file;
    const char* text;
    int code;
  };
  const Case cases[] = {
      {"a read-only name", "varkel.properties", "early=1\nthis.dir=elsewhere\nlate=1\n", 700},
      {"a line without a sign", "varkel.properties.base", "early=1\nno sign here\nlate=1\n", 204},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write(c.file, c.text);
    v.writeJob("job.xml", "<tasks><echo message='not reached'/></tasks>");
    const RunResult r = v.runJob();
    const QString code = QString::number(c.code);
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas("[Mgr] [PropertyFile] Failed to load property file: '" + v.path(c.file) + "'. Res: " +
                         code + "\r\n"))
        << qPrintable(r.log);
    EXPECT_TRUE(r.logHas("[Mgr] [Init] Failed to load property file. Error: " + code + "\r\n"));
    EXPECT_FALSE(r.logHas("job.xml")) << "the job is not read";
    EXPECT_FALSE(r.logHas("not reached"));
    EXPECT_TRUE(r.err.contains("Error: " + code + ".")) << qPrintable(r.err);
  }
}

TEST(VarkelEndToEnd, ExitWithErrorFailsTheRunAndShowsTheBox) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml",
             "<tasks>\n"
             "  <exit error=\"yes\" message=\"stopped by the job\"/>\n"
             "  <echo message=\"not reached\"/>\n"
             "</tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 30) << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("not reached"));
  EXPECT_TRUE(r.logHas("[Mgr] [SendMessage] All tasks will be interrupted (with error).\r\n"));
  EXPECT_TRUE(r.logHas(
      "Finish. Execution of the tasks has been interrupted due to an error! Error message: stopped by the job\r\n"));
  EXPECT_TRUE(r.err.contains("| BUILD SYSTEM (error)\n")) << qPrintable(r.err);
  EXPECT_TRUE(r.err.contains("| An error occurred while performing tasks.\n| Error: 30.\n|\n"
                             "| Execution of the tasks has been interrupted due to an error!\n|\n"
                             "| stopped by the job\n"))
      << qPrintable(r.err);
}

TEST(VarkelEndToEnd, ErrorInterruptWithoutMessageShowsNoMessageBlock) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml", "<tasks><exit error=\"true\"/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 30) << qPrintable(r.log);
  EXPECT_TRUE(r.err.contains("| An error occurred while performing tasks.\n| Error: 30.\n|\n"
                             "| Execution of the tasks has been interrupted due to an error!\n+"))
      << qPrintable(r.err);
}

TEST(VarkelEndToEnd, ExitWithoutErrorIsASuccess) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml", "<tasks><exit message=\"done early\"/><echo message=\"not reached\"/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(r.logHas("not reached"));
  EXPECT_TRUE(r.logHas("Finish. Execution of the tasks has been interrupted. Message: done early"));
  EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
}

TEST(VarkelEndToEnd, JobNotNamedOrNotFound) {
  VarkelRun v;
  ASSERT_READY(v);
  const RunResult none = v.run({});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_TRUE(none.logHas("[Mgr] [LoadJob] 'Job' file not defined.\r\n"));

  const RunResult missing = v.runJob("missing.xml");
  EXPECT_EQ(missing.exitCode, 20);
  EXPECT_TRUE(missing.logHas("[ERROR]")) << qPrintable(missing.log);
  EXPECT_TRUE(missing.logHas("[Mgr] 'Job' file not found. File: '" + v.path("missing.xml") + "'.\r\n"))
      << qPrintable(missing.log);
  EXPECT_TRUE(missing.logHas("[Mgr] [Start] Failed to load jobs. Error: 20\r\n"));
  EXPECT_TRUE(missing.err.contains("Error: 20."));
}

TEST(VarkelEndToEnd, UnknownElementStopsTheRunBeforeAnyTask) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml", "<tasks><echo message=\"first\"/><ech message=\"typo\"/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 301 & 0xff);
  EXPECT_TRUE(r.logHas("Task with name: 'ech' is not found!")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Start] Failed to load jobs. Error: 301"));
  EXPECT_FALSE(r.logHas("[Echo] first")) << "no task runs from a job that failed to load";
}

// A misspelt element deep in a job, and a bad solution of a 'build rules' file, are
// named by their file and line.
TEST(VarkelEndToEnd, ReaderErrorsNameTheFileAndLine) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml",
             "<macrodefs><macrodef name=\"each\"><tasks>\n"
             "  <foreach item=\"i\" in=\"1,2\">\n"
             "    <ecoh message=\"#{i}\"/>\n"
             "  </foreach>\n"
             "</tasks></macrodef></macrodefs>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 301 & 0xff);
  EXPECT_TRUE(r.logHas(v.inDir("[XmlTaskForeach] Task with name: 'ecoh' is not found!. This XML file: "
                               "'DIR/job.xml'. Line: 5. Column: 26.\r\n")))
      << qPrintable(r.log);
  EXPECT_TRUE(r.logHas(v.inDir("[JobXmlParser] Failed to parse task. Task name: 'foreach'. XML file: "
                               "'DIR/job.xml'. Line: 4. Column: 29.\r\n")));

  v.write("rules/varkel.xml",
          "<?xml version=\"1.0\"?>\n<project><solutions>\n"
          "  <solution type=\"library\" name=\"lib\"/>\n"
          "</solutions></project>\n");
  v.writeJob("job.xml", "<tasks><echo message=\"ran\"/></tasks>");
  const RunResult rules = v.run({"-pmanifest", v.path("rules/varkel.xml"), "-job", "job.xml"});
  EXPECT_EQ(rules.exitCode, 0) << "a bad solution is dropped: " << qPrintable(rules.log);
  EXPECT_TRUE(rules.logHas(v.inDir("[ProjectXmlParser] Invalid solution type. Type: 'library'. File: "
                                   "'DIR/rules/varkel.xml'. Line: 3. Column: 39\r\n")))
      << qPrintable(rules.log);
}

TEST(VarkelEndToEnd, IncludeWithVariablePrefix) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("lib/common.xml",
             "<vars><var name=\"name\" value=\"included\"/></vars>\n"
             "<tasks><echo message=\"from the include\"/></tasks>");
  v.writeJob("job.xml",
             "<tasks><echo message=\"before\"/></tasks>\n"
             "<includes><include file=\"lib/common.xml\" varprefix=\"lib\" replace=\"yes\"/></includes>\n"
             "<tasks><echo message=\"after: ${lib.name}\"/></tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  const int before = r.log.indexOf("[Echo] before\r\n");
  const int included = r.log.indexOf("[Echo] from the include\r\n");
  const int after = r.log.indexOf("[Echo] after: included\r\n");
  EXPECT_TRUE(before >= 0 && included > before && after > included) << qPrintable(r.log);
}

TEST(VarkelEndToEnd, ExtraPropertyFileFromTheCommandLine) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("conf/extra.properties", "greeting=from extra\nlog.level=info\n");
  v.writeJob("job.xml", "<tasks><echo message=\"${greeting}\"/><setvar name=\"x\" value=\"1\"/></tasks>");
  const RunResult r = v.runJob("job.xml", {"-properties", "conf/extra.properties"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.logHas("conf/extra.properties' was loaded successfully.")) << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("[Echo]")) << "log.level info drops the trace line of echo";
  EXPECT_TRUE(r.logHas("[SetVar] Try to update variable. Name: 'x'"));

  const RunResult missing = v.runJob("job.xml", {"-properties", "none.properties"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_TRUE(missing.logHas("[WARNG]")) << qPrintable(missing.log);
  EXPECT_TRUE(missing.logHas("[Start] Properties-file is not found. Path: " + v.path("none.properties")));
  EXPECT_TRUE(missing.logHas("[Echo] ${greeting}\r\n"));

  v.write("varkel.properties", "greeting=default\n");
  const RunResult twice = v.runJob("job.xml", {"-properties", "varkel.properties"});
  EXPECT_EQ(twice.exitCode, 0);
  EXPECT_EQ(twice.log.count("was loaded successfully."), 1) << "the default file is not loaded again";
}

TEST(VarkelEndToEnd, MessageTasksOnAConsoleWithoutAPerson) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml",
             "<vars><var name=\"answer\" value=\"unset\"/><var name=\"kept\" value=\"old\"/></vars>\n"
             "<tasks>\n"
             "  <messagebox message=\"plain\"/>\n"
             "  <messagebox message=\"capital\" icon=\"Warning\"/>\n"
             "  <messagebox message=\"halt\" icon=\"stop\"/>\n"
             "  <messagebox message=\"\" icon=\"error\"/>\n"
             "  <question message=\"Go on?\" resultvar=\"answer\"/>\n"
             "  <question message=\"\" resultvar=\"kept\"/>\n"
             "  <echo message=\"answer=${answer} kept=${kept}\"/>\n"
             "</tasks>");
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_TRUE(r.err.contains("| BUILD SYSTEM (information)\n+"));
  const int plain = r.err.indexOf("| plain\n");
  const int capital = r.err.indexOf("| capital\n");
  const int halt = r.err.indexOf("| halt\n");
  EXPECT_TRUE(plain >= 0 && capital > plain && halt > capital) << qPrintable(r.err);
  EXPECT_EQ(r.err.count("(information)"), 2) << "a Warning with a capital is the information icon";
  EXPECT_EQ(r.err.count("(stop)"), 1);
  EXPECT_EQ(r.err.count("(error)"), 0) << "an empty message shows nothing";
  EXPECT_EQ(r.err.count("[y/N]"), 1);
  EXPECT_TRUE(r.logHas("[Question] No one could answer the question (no terminal): the answer is No."));
  EXPECT_TRUE(r.logHas("[Echo] answer=false kept=old\r\n")) << qPrintable(r.log);
}

TEST(VarkelEndToEnd, SoundsPlayThroughThePlayerOnPath) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("bin/paplay", "#!/bin/sh\necho \"$@\" >> \"$PLAYED\"\n");
  QFile::setPermissions(v.path("bin/paplay"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  v.setEnv("PATH", v.path("bin") + ":" + QProcessEnvironment::systemEnvironment().value("PATH"));
  v.setEnv("PLAYED", v.path("played.txt"));
  v.write("jobs/ding.wav", "RIFF");
  v.write("success.wav", "RIFF");
  v.writeJob("jobs/job.xml",
             "<tasks>\n"
             "  <sound file=\"ding.wav\"/>\n"
             "  <sound file=\"nothing.wav\" type=\"OK\"/>\n"
             "  <sound type=\"unknown\"/>\n"
             "</tasks>");
  const RunResult r = v.runJob("jobs/job.xml");
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  QFile played(v.path("played.txt"));
  ASSERT_TRUE(played.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(played.readAll()),
            v.path("jobs/ding.wav") + "\n" + v.path("success.wav") + "\n" + v.path("success.wav") + "\n")
      << "the file beside the job, the success sound for OK, then the success sound of the finish";
}

// ---- bad input: a code, a clear line, a non-zero exit, quickly and without a crash --------

TEST(VarkelEndToEnd, BadInputEndsQuicklyWithItsCode) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;
    int code;
    const char* logLine;
  };
  const Case cases[] = {
      {"job cut off in the middle",
       {{"job.xml", "<?xml version=\"1.0\"?>\n<project>\n<tasks>\n<echo message=\"a\"/>\n<echo mess"}},
       502,
       "[Start] Failed to load jobs. Error: 502"},
      {"cycle of three includes",
       {{"job.xml", "<project><includes><include file=\"a.xml\"/></includes></project>"},
        {"a.xml", "<project><includes><include file=\"b.xml\"/></includes></project>"},
        {"b.xml", "<project><includes><include file=\"job.xml\"/></includes></project>"}},
       503,
       "[Start] Failed to load jobs. Error: 503"},
      {"macro calling itself without end",
       {{"job.xml",
         "<project><macrodefs><macrodef name=\"again\"><tasks><again/></tasks></macrodef></macrodefs>"
         "<tasks><again/></tasks></project>"}},
       311,
       "[Start] Failed to process tasks. Error: 311"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    for (const auto& file : c.files) v.write(file.first, file.second);
    const RunResult r = v.runJob();
    EXPECT_FALSE(r.crashed);
    EXPECT_NE(r.exitCode, 0) << qPrintable(r.log);
    if (c.code > 0) {
      EXPECT_EQ(r.exitCode, c.code & 0xff);
    }
    EXPECT_TRUE(r.logHas(c.logLine)) << qPrintable(r.log.right(3000));
  }
}

// Such a value would grow in every round of expansion: the job fails where it sets it.
TEST(VarkelEndToEnd, VariableReferringToItselfFailsTheRun) {
  const struct {
    const char* name;
    const char* job;
    int code;
    const char* logLine;
  } cases[] = {
      {"var element", "<vars><var name=\"self\" value=\"x${self}\"/></vars><tasks><echo message=\"unreached\"/></tasks>",
       702, "[Start] Failed to load jobs. Error: 702"},
      {"setvar task", "<tasks><setvar name=\"self\" value=\"x${self}\"/><echo message=\"unreached\"/></tasks>", 702,
       "[Start] Failed to process tasks. Error: 702"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.writeJob("job.xml", c.job);
    const RunResult r = v.runJob();
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, c.code & 0xff);
    EXPECT_TRUE(r.logHas("Variable refers to itself and can never be expanded. Name: 'self'. Value: 'x${self}'"))
        << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(c.logLine)) << qPrintable(r.log);
    EXPECT_FALSE(r.logHas("[Echo] unreached")) << qPrintable(r.log);
  }
}

// The job that ./run.sh runs without arguments.
TEST(VarkelEndToEnd, ExampleJobRuns) {
  VarkelRun v;
  ASSERT_READY(v);
  const QString job = QFileInfo(QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/hello/job.xml")).absoluteFilePath();
  const RunResult r = v.runJob(job);
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] Hello, ")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] A colour: red\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] A colour: blue\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] The mood is happy.\r\n"));
  EXPECT_FALSE(r.logHas("[Echo] This line is never written."));
}

}  // namespace
