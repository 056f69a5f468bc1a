#include "core/environment_access.h"
#include "core/properties_mgr.h"
#include "intr/item_id_provider.h"
#include "tasks/task_exec.h"
#include "tasks/task_expand_sys_var.h"
#include "tasks/task_factory_impl.h"
#include "tasks/task_get_sys_var.h"
#include "tasks/task_runner.h"
#include "tasks/task_set_sys_var.h"
#include "tasks/task_system.h"
#include "task_test_env.h"

#include <QFileInfo>

#include <map>
#include <memory>

using task_test_env::readFile;
using task_test_env::ScopedEnv;
using task_test_env::writeFile;

namespace {

const char kName[] = "VARKEL_TASK_SYSVAR";

class SysVarTaskTest : public task_test_env::TaskTest {
 protected:
  static void set(ITask& task, const std::map<QString, QString>& attributes) {
    for (const auto& a : attributes) EXPECT_EQ(0, task.getPropertiesSetter()->setString(a.first, a.second));
  }
  ScopedEnv restore_{kName, nullptr};
};

TEST_F(SysVarTaskTest, GetSysVarReadsProcessOrSystemVariables) {
  const struct {
    const char* name;
    const char* process;      // null: not set
    const QByteArray system;  // the system-wide variable file
    const char* systemAttribute;
    int code;
    QString value;
    const char* header;
  } cases[] = {
      {"process", " pv ", "", "", 0, " pv ", "Process environment variable has been received. \r\n"},
      {"process, not a true word", "pv", "VARKEL_TASK_SYSVAR=sv\n", "maybe", 0, "pv",
       "Process environment variable has been received. \r\n"},
      {"process missing", nullptr, "VARKEL_TASK_SYSVAR=sv\n", "", 352, "old",
       "Failed to get process environment variable. \r\n"},
      {"system, unexpanded", "pv", "# c\nVARKEL_TASK_SYSVAR=\"%PATH%;x\"\n", "yes", 0, "%PATH%;x",
       "System environment variable has been received. \r\n"},
      {"system missing falls back", "pv", "OTHER=1\n", "YES", 0, "pv",
       "System environment variable has been received (*). \r\n"},
      {"missing everywhere", nullptr, "", "1", 0, "%VARKEL_TASK_SYSVAR%",
       "System environment variable has been received (*). \r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv env(kName, c.process);
    writeFile(systemFile(), c.system);
    capture_.clear();
    EXPECT_EQ(0, vars_.set("target", "old"));
    EXPECT_EQ(0, vars_.set("which", kName));
    TaskGetSysVar task(2, nullptr);
    set(task, {{"name", " ${which} "}, {"valuevar", " target "}, {"system", c.systemAttribute}});
    task.setResultVar("res");
    task.setFailOnError("false");
    EXPECT_EQ(0, start(task));
    EXPECT_EQ(QString::number(c.code), var("res"));
    EXPECT_EQ(c.value, var("target"));
    const QString expected = QString(c.header) + "    Variable: 'VARKEL_TASK_SYSVAR'.\r\n    Value: '" +
                             (c.code == 0 ? c.value : QString()) +
                             "'.\r\n    Variable name to save value: 'target'.\r\n    Task ID: 2";
    EXPECT_TRUE(capture_.log().contains(expected)) << capture_.log().texts().join("\n").toStdString();
  }
}

TEST_F(SysVarTaskTest, SetSysVarSetsAndRemovesProcessVariables) {
  TaskSetSysVar task(3, nullptr);
  set(task, {{"name", " VARKEL_TASK_SYSVAR "}, {"value", " a ${v} "}, {"system", "no"}});
  EXPECT_EQ(0, vars_.set("v", "b"));
  EXPECT_EQ(0, start(task));
  QString value;
  ASSERT_EQ(0, getProcessEnvironmentVariable(value, kName));
  EXPECT_EQ(" a b ", value);
  EXPECT_TRUE(capture_.log().contains(
      "Process environment variable has been updated. \r\n    Variable: 'VARKEL_TASK_SYSVAR'.\r\n"
      "    Value: ' a b '.\r\n    Task ID: 3"));

  set(task, {{"value", ""}});
  EXPECT_EQ(0, start(task));
  EXPECT_FALSE(qEnvironmentVariableIsSet(kName));
}

TEST_F(SysVarTaskTest, SetSysVarWithSystemWritesTheFileNotTheProcess) {
  writeFile(systemFile(), "# kept\nA=1\n");
  TaskSetSysVar task(3, nullptr);
  set(task, {{"name", kName}, {"value", "%HOME%/x"}, {"system", "true"}});
  EXPECT_EQ(0, start(task));
  EXPECT_EQ("# kept\nA=1\nVARKEL_TASK_SYSVAR=%HOME%/x\n", readFile(systemFile()));
  EXPECT_FALSE(qEnvironmentVariableIsSet(kName));

  TaskGetSysVar get(4, nullptr);
  set(get, {{"name", kName}, {"valuevar", "target"}});
  EXPECT_EQ(TaskGetSysVar::kFailed, start(get));
  EXPECT_EQ("<unset>", var("target"));
}

TEST_F(SysVarTaskTest, SetSysVarFailuresGive353) {
  ScopedEnv unwritable("VARKEL_SYSTEM_ENVIRONMENT_FILE", (path("no/such/dir/environment")).toLocal8Bit().constData());
  const struct {
    const char* name;
    const char* variable;
    const char* system;
    const char* header;
  } cases[] = {
      {"system file cannot be written", kName, "yes", "Failed to set system environment variable. \r\n"},
      {"name the process cannot hold", "A=B", "", "Failed to set process environment variable. \r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    TaskSetSysVar task(3, nullptr);
    set(task, {{"name", c.variable}, {"value", "v"}, {"system", c.system}});
    EXPECT_EQ(TaskSetSysVar::kFailed, start(task));
    EXPECT_TRUE(capture_.log().contains(QString(c.header) + "    Variable: '" + c.variable +
                                        "'.\r\n    Value: 'v'.\r\n    Task ID: 3"));
  }
  EXPECT_FALSE(qEnvironmentVariableIsSet("A"));
}

TEST_F(SysVarTaskTest, ExpandSysVarKeepsBlanksAndUnknownReferences) {
  ScopedEnv env(kName, "val");
  TaskExpandSysVar task(5, nullptr);
  set(task, {{"text", "  %VARKEL_TASK_SYSVAR% and %VARKEL_TASK_NONE% ${v} "}, {"valuevar", " ${out} "}});
  EXPECT_EQ(0, vars_.set("v", "100%"));
  EXPECT_EQ(0, vars_.set("out", "target"));
  EXPECT_EQ(0, start(task));
  EXPECT_EQ("  val and %VARKEL_TASK_NONE% 100% ", var("target"));
  EXPECT_TRUE(capture_.log().contains(
      "System variables were expanded. \r\n"
      "    Text to expand: '  %VARKEL_TASK_SYSVAR% and %VARKEL_TASK_NONE% 100% '.\r\n"
      "    Expanded text: '  val and %VARKEL_TASK_NONE% 100% '.\r\n"
      "    Variable name to save expanded text: 'target'.\r\n"
      "    Task ID: 5"));
}

// A job in code: tasks from the factory, run by the runner one after another.
class SysVarJobTest : public SysVarTaskTest {
 protected:
  SysVarJobTest() { factory_.setIdProvider(&ids_); }

  ITask* add(unsigned type, const std::map<QString, QString>& attributes) {
    PropertiesMgr props;
    for (const auto& a : attributes) EXPECT_EQ(0, props.setString(a.first, a.second));
    ITask* task = nullptr;
    EXPECT_EQ(0, factory_.createTask(nullptr, type, QString(), &props, nullptr, nullptr, nullptr, &task));
    tasks_.push_back(shareTask(task));
    return task;
  }
  int runAll() {
    for (const auto& task : tasks_) {
      const int code = startTask("Mgr", task.get(), &expander_, &vars_, &vars_, nullptr, nullptr, nullptr);
      if (code != 0) return code;
    }
    return 0;
  }

  ItemIdProviderImpl ids_;
  TaskFactoryImpl factory_;
  std::vector<std::shared_ptr<ITask>> tasks_;
};

TEST_F(SysVarJobTest, AProcessVariableSetByTheJobReachesTheProgramsItStarts) {
  const QString seen = path("seen.txt");
  const QString unseen = path("unseen.txt");
  const std::map<QString, QString> env = {{"exe", "/usr/bin/env"}, {"catchoutput", "yes"}};
  auto envInto = [&](const QString& file) {
    auto attributes = env;
    attributes["output"] = file;
    return attributes;
  };
  add(TaskSetSysVar::kType, {{"name", kName}, {"value", "from job"}});
  add(TaskSystem::kType, {{"cmd", "test \"$VARKEL_TASK_SYSVAR\" = 'from job'"}, {"exitcodevar", "shellsaw"}});
  add(TaskExec::kType, envInto(seen));
  add(TaskSetSysVar::kType, {{"name", kName}, {"value", "system only"}, {"system", "yes"}});
  add(TaskExpandSysVar::kType, {{"text", "%VARKEL_TASK_SYSVAR%"}, {"valuevar", "expanded"}});
  add(TaskSetSysVar::kType, {{"name", kName}, {"value", ""}});
  add(TaskExec::kType, envInto(unseen));
  add(TaskGetSysVar::kType, {{"name", kName}, {"valuevar", "got"}, {"system", "yes"}});

  EXPECT_EQ(0, runAll());
  EXPECT_EQ("0", var("shellsaw"));
  EXPECT_TRUE(readFile(seen).contains("\nVARKEL_TASK_SYSVAR=from job\n"));
  EXPECT_EQ("from job", var("expanded"));
  EXPECT_TRUE(QFileInfo::exists(unseen));
  EXPECT_FALSE(readFile(unseen).contains("VARKEL_TASK_SYSVAR="));
  EXPECT_EQ("system only", var("got"));
}

}  // namespace
