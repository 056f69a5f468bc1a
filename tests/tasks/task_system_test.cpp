#include "tasks/task_system.h"
#include "task_test_env.h"

#include <QFileInfo>

using task_test_env::readFile;

namespace {

class TaskSystemTest : public task_test_env::TaskTest {
 protected:
  int run(const QString& cmd) {
    capture_.clear();
    EXPECT_EQ(0, vars_.set("code", "stale"));
    EXPECT_EQ(0, vars_.set("res", "stale"));
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString("cmd", cmd));
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString("exitcodevar", " code "));
    task_.setResultVar("res");
    return start(task_);
  }

  TaskSystem task_{4, nullptr};
};

TEST_F(TaskSystemTest, StoresTheExitStatusOfTheShellCommand) {
  EXPECT_EQ(0, vars_.set("n", "9"));
  const QString file = path("made by shell");
  const struct {
    const char* name;
    QString cmd;
    const char* exitCode;
    const char* signal;  // named by a warning; null: none
  } cases[] = {
      {"exit 2", " exit 2 ", "2", nullptr},
      {"success", "true", "0", nullptr},
      {"expanded", "exit ${n}", "9", nullptr},
      {"shell syntax", "echo hi | tr h H > '" + file + "' && exit 7", "7", nullptr},
      {"killed by a signal", "kill -9 $$", "137", "SIGKILL"},
      {"exit status of a killed shell, given by hand", "exit 137", "137", nullptr},
      {"unknown command", "varkel-no-such-command 2>/dev/null", "127", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(0, run(c.cmd));
    EXPECT_EQ(c.exitCode, var("code"));
    EXPECT_EQ("0", var("res"));
    EXPECT_TRUE(capture_.log().contains(QString("Command result: ") + c.exitCode + ". Task ID: 4"));
    EXPECT_EQ(c.signal != nullptr, capture_.log().containsPart("The command was ended by the signal"));
    if (c.signal) {
      EXPECT_TRUE(capture_.log().contains(QString("The command was ended by the signal ") + c.signal +
                                          ". Exit code: " + c.exitCode + ". Task ID: 4"));
    }
  }
  EXPECT_EQ("Hi\n", readFile(file));
}

TEST_F(TaskSystemTest, LogsTheCommandBeforeRunningIt) {
  EXPECT_EQ(0, run(" exit 1 "));
  ASSERT_FALSE(capture_.log().entries.empty());
  EXPECT_EQ("Task ID: 4. Try to execute: \r\n    Command: exit 1\r\n    Exit code variable: code\r\n",
            capture_.log().entries[0].text);
  EXPECT_EQ("System", capture_.log().entries[0].tag);
}

TEST_F(TaskSystemTest, AnEmptyCommandFailsWith316) {
  for (const char* cmd : {"", "   "}) {
    EXPECT_EQ(TaskSystem::kNoCommand, run(cmd));
    EXPECT_EQ("0", var("code"));
    EXPECT_EQ("316", var("res"));
    EXPECT_TRUE(capture_.log().contains("The command to execute not defined. Task ID: 4"));
  }
}

TEST_F(TaskSystemTest, ACommandTheShellCannotBeGivenFailsWith351) {
  // A zero character would cut the command short; the interpreter is not run.
  task_.setFailOnError("no");
  EXPECT_EQ(0, run(QString("touch '") + path("x") + "'" + QChar(0) + "; exit 3"));
  EXPECT_EQ("0", var("code"));
  EXPECT_EQ("351", var("res"));
  EXPECT_TRUE(capture_.log().contains("Failed to call 'runSystem'. Native error: 22"));
  EXPECT_TRUE(capture_.log().contains("Failed to run command. Error: 5. Task ID: 4"));
  EXPECT_FALSE(QFileInfo::exists(path("x")));
}

}  // namespace
