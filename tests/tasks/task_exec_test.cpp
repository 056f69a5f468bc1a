#include "tasks/task_exec.h"
#include "core/process_helper.h"
#include "task_test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <thread>
#include <vector>

using task_test_env::readFile;
using task_test_env::writeFile;

namespace {

class TaskExecTest : public task_test_env::TaskTest {
 protected:
  void set(const QString& key, const QString& value) {
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString(key, value));
  }
  void setArgs(const std::vector<QString>& args) {
    EXPECT_EQ(0, task_.getPropertiesSetter()->setStringList("args", args));
  }
  void setVars(const QString& exitCodeVar, const QString& waitResultVar) {
    set("exitcodevar", exitCodeVar);
    set("waitresultvar", waitResultVar);
  }

  TaskExec task_{1, nullptr};
};

using testing_support::processState;

TEST_F(TaskExecTest, StoresTheExitCodeOfAProgramThatEndsWithinTheWait) {
  const struct {
    const char* name;
    const char* body;
    const char* waitTime;
    const char* exitCode;
    const char* warning;
  } cases[] = {
      {"no wait given", "exit 3", "", "3", nullptr},
      {"ends within a positive wait", "exit 5", "60000", "5", nullptr},
      // Its exit code shows that the wait lasted to the end.
      {"bad wait waits to the end", "sleep 0.4; exit 4", " abc ", "4",
       "Invalid numeric value for 'waiting time': abc. Task ID: 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    EXPECT_EQ(0, vars_.set("res", "stale"));
    set("exe", script("prog.sh", c.body));
    set("waittime", c.waitTime);
    task_.setResultVar("res");
    setVars("code", "ended");
    EXPECT_EQ(0, start(task_));
    EXPECT_EQ(c.exitCode, var("code"));
    EXPECT_EQ("true", var("ended"));
    EXPECT_EQ("0", var("res"));
    if (c.warning) {
      EXPECT_TRUE(capture_.log().contains(c.warning));
    }
  }
}

TEST_F(TaskExecTest, LeavesALongProgramRunningWhenThePositiveWaitRunsOut) {
  const QString pidFile = path("pid");
  set("exe", script("long.sh", "echo $$ > '" + pidFile.toLocal8Bit() + "'; exec sleep 30"));
  set("waittime", "400");
  setVars("code", "ended");
  EXPECT_EQ(0, vars_.set("code", "stale"));
  EXPECT_EQ(0, start(task_));
  EXPECT_EQ("0", var("code"));
  EXPECT_EQ("false", var("ended"));

  const QString pid = QString::fromLatin1(readFile(pidFile)).trimmed();
  ASSERT_FALSE(pid.isEmpty());
  const QString state = processState(pid);
  EXPECT_TRUE(state == "S" || state == "R") << state.toStdString();
  EXPECT_EQ(0, QProcess::execute("kill", {"-9", pid}));
}

TEST_F(TaskExecTest, InterruptEndsTheWaitAndTheProgramAndStartsNoOther) {
  // The program writes its pid into a pipe: reading it waits until the program runs.
  const QString pipe = path("pid");
  ASSERT_EQ(0, QProcess::execute("mkfifo", {pipe}));
  set("exe", script("long.sh", "echo $$ > '" + pipe.toLocal8Bit() + "'; exec sleep 600"));
  setVars("code", "ended");
  QByteArray pid;
  std::thread interrupter([&] {
    pid = readFile(pipe);
    task_.interrupt();
  });
  EXPECT_EQ(0, start(task_));
  interrupter.join();
  // A wait that the interrupt did not end would last until the test's timeout.
  EXPECT_EQ("false", var("ended"));
  EXPECT_TRUE(task_.isInterrupted());
  const QString state = processState(QString::fromLatin1(pid));
  EXPECT_TRUE(state.isEmpty() || state == "Z") << state.toStdString();

  // A stop that comes before a start is not lost: the program is not started.
  const QString ran = path("ran");
  set("exe", script("quick.sh", "touch '" + ran.toLocal8Bit() + "'; exit 6"));
  EXPECT_EQ(ProcessHelper::kInterrupted, start(task_));
  EXPECT_EQ("0", var("code"));
  EXPECT_FALSE(QFileInfo::exists(ran));
}

TEST_F(TaskExecTest, PassesArgumentsAsAListWithoutAShell) {
  const QString out = path("args.txt");
  set("exe", "${tools}/echo args.sh");
  script("echo args.sh", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + out.toLocal8Bit() + "'");
  EXPECT_EQ(0, vars_.set("tools", dir_.path()));
  EXPECT_EQ(0, vars_.set("word", "expanded"));
  setArgs({"${word}", " two words ", "$HOME;echo x", "\"q\"", "'*'"});
  EXPECT_EQ(0, start(task_));
  EXPECT_EQ("[expanded]\n[ two words ]\n[$HOME;echo x]\n[\"q\"]\n['*']\n", readFile(out));
}

// An argument left unexpanded because it would outgrow the text limit is never run.
TEST_F(TaskExecTest, ArgumentBeyondTheTextLimitIsNotRun) {
  const QString marker = path("ran");
  set("exe", script("touch.sh", "touch '" + marker.toLocal8Bit() + "'"));
  EXPECT_EQ(0, vars_.set("big", QString(8 * 1024 * 1024 + 1, 'x')));
  setArgs({"${big}${big}"});
  EXPECT_EQ(703, start(task_));
  EXPECT_FALSE(QFileInfo::exists(marker));
  EXPECT_TRUE(capture_.log().contains("The command is not run: one of its texts is too long. Task ID: 1"));
}

TEST_F(TaskExecTest, StripsNestedQuotesFromProgramDirectoryAndOutput) {
  const QString workDir = path("work dir");
  ASSERT_TRUE(QDir().mkpath(workDir));
  const QString exe = script("print dir.sh", "pwd");
  const QString output = path("out dir/pwd.txt");
  const struct {
    const char* name;
    QString (*wrap)(const QString&);
  } cases[] = {
      {"double", [](const QString& s) { return "\"" + s + "\""; }},
      {"single", [](const QString& s) { return "'" + s + "'"; }},
      {"single in double", [](const QString& s) { return " \" '" + s + "' \" "; }},
      {"double in single", [](const QString& s) { return "'\"" + s + "\"'"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(output);
    set("exe", c.wrap(exe));
    set("dir", c.wrap(workDir));
    set("output", c.wrap(output));
    set("catchoutput", "yes");
    setVars("code", "ended");
    EXPECT_EQ(0, start(task_));
    EXPECT_EQ("true", var("ended"));
    EXPECT_EQ(QFileInfo(workDir).canonicalFilePath().toLocal8Bit() + "\n", readFile(output));
  }
}

TEST_F(TaskExecTest, CatchesOutputIntoTheLogAndTheFileOnlyWhenAskedAndShown) {
  const QString exe = script("talk.sh", "echo out; echo err >&2");
  const QString output = path("new/dir/log.txt");
  const struct {
    const char* name;
    const char* catchOutput;
    const char* show;
    bool caught;
  } cases[] = {
      {"caught", "Yes", "", true},
      {"not asked", "", "", false},
      {"not shown", "1", "no", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(path("new")).removeRecursively();
    capture_.clear();
    set("exe", exe);
    set("catchoutput", c.catchOutput);
    set("show", c.show);
    set("output", output);
    EXPECT_EQ(0, start(task_));
    const QString raw = capture_.log().raw.join(QString());
    if (c.caught) {
      EXPECT_TRUE(raw.contains("out\n") && raw.contains("err\n")) << raw.toStdString();
      const QByteArray file = readFile(output);
      EXPECT_TRUE(file.contains("out\n") && file.contains("err\n")) << file.toStdString();
    } else {
      EXPECT_TRUE(raw.isEmpty()) << raw.toStdString();
      EXPECT_FALSE(QFileInfo::exists(output));
    }
  }
}

TEST_F(TaskExecTest, AProgramThatCannotStartIsAFailureNotASuccess) {
  const QString notExecutable = path("plain.txt");
  writeFile(notExecutable, "exit 0\n");
  const struct {
    const char* name;
    QString exe;
    const char* failOnError;
    int returned;
  } cases[] = {
      {"missing program", path("missing/prog"), "", ProcessHelper::kFailedToStart},
      {"not executable, fail on error off", notExecutable, "false", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    EXPECT_EQ(0, vars_.set("code", "stale"));
    EXPECT_EQ(0, vars_.set("ended", "stale"));
    set("exe", c.exe);
    task_.setResultVar("res");
    setVars("code", "ended");
    task_.setFailOnError(c.failOnError);
    EXPECT_EQ(c.returned, start(task_));
    EXPECT_EQ("81", var("res"));
    EXPECT_EQ("0", var("code"));
    EXPECT_EQ("false", var("ended"));
    EXPECT_TRUE(capture_.log().containsPart("Failed to start process. Command: " + c.exe));
    EXPECT_TRUE(capture_.log().contains("Failed to starte process. Error: 81. Task ID: 1"));
  }
}

TEST_F(TaskExecTest, WithoutAProgramFailsWith316AndResetsTheVariables) {
  for (const char* exe : {"", "  ", " \"' '\" "}) {
    SCOPED_TRACE(exe);
    capture_.clear();
    EXPECT_EQ(0, vars_.set("code", "stale"));
    EXPECT_EQ(0, vars_.set("ended", "stale"));
    set("exe", exe);
    task_.setResultVar("res");
    setVars("code", "ended");
    EXPECT_EQ(TaskExec::kNoCommand, start(task_));
    EXPECT_EQ("316", var("res"));
    EXPECT_EQ("0", var("code"));
    EXPECT_EQ("false", var("ended"));
    EXPECT_TRUE(capture_.log().contains("The command to execute not defined. Task ID: 1"));
  }
}

TEST_F(TaskExecTest, LogsWhatItIsAboutToRun) {
  EXPECT_EQ(0, vars_.set("v", "exit"));
  set("exe", " \"/bin/true\" ");
  set("dir", "/tmp");
  set("waittime", "100");
  set("show", "yes");
  set("catchoutput", "no");
  set("output", " 'out.txt' ");
  setVars(" ${v}code ", "");
  setArgs({"a ${v}", ""});
  EXPECT_EQ(0, start(task_));
  EXPECT_EQ("0", var("exitcode"));
  ASSERT_FALSE(capture_.log().entries.empty());
  EXPECT_EQ(
      "Task ID: 1. Try to execute: \r\n"
      "    Exe: /bin/true\r\n"
      "    Directory: /tmp\r\n"
      "    Waiting time: 100\r\n"
      "    Show: yes\r\n"
      "    Catch output: no\r\n"
      "    Output: out.txt\r\n"
      "    Exit code variable: exitcode\r\n"
      "    Waiting result variable: \r\n"
      "        Parameter: a exit\r\n"
      "        Parameter: \r\n",
      capture_.log().entries[0].text);
  EXPECT_EQ("Exec", capture_.log().entries[0].tag);
}

}  // namespace
