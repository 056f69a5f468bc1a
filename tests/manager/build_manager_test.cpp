#include "manager/build_manager.h"

#include "manager/exit_code.h"
#include "manager_test_support.h"
#include "tasks/macrodef_impl.h"
#include "tasks/task_common.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

using manager_testing::Args;
using manager_testing::Quiet;
using testing_support::ScopedLogCapture;

namespace {

// A root task that returns a fixed code and may act on the run first.
class ScriptedTask : public TaskCommon {
 public:
  ScriptedTask(std::uint64_t id, const QString& name, int result,
               std::function<void(INotifications*)> action = nullptr)
      : TaskCommon(id, name, nullptr), result_(result), action_(std::move(action)) {}
  ~ScriptedTask() override { markInterrupted(); }

  int getType() const override { return 999; }
  int start(IVariablesExpander*, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
            INotifications* notifications) override {
    ++runs;
    if (action_) action_(notifications);
    return result_;
  }
  void interrupt() override { markInterrupted(); }

  int runs = 0;

 private:
  int result_;
  std::function<void(INotifications*)> action_;
};

QString appPath(const QString& tail) { return QCoreApplication::applicationDirPath() + QLatin1Char('/') + tail; }

QStringList namesOf(CmdTaskEntry& entry) {
  std::vector<QString> names;
  EXPECT_EQ(entry.properties.getStringList(CmdTaskEntry::kProjectNames, names), 0);
  return QStringList(names.begin(), names.end());
}

TEST(BuildManagerCommandLine, GroupsReplaceThoseOfTheLastRun) {
  BuildManager m;
  Args first{"-build", "a", "-build", "b"};
  EXPECT_EQ(m.parseCommandLine(first.argc(), first.argv()), 0);
  ASSERT_EQ(m.cmdTasks().size(), 2u);
  Args second{"-output", "o", "-build", "c", "d"};
  EXPECT_EQ(m.parseCommandLine(second.argc(), second.argv()), 0);
  std::vector<CmdTaskEntry> groups = m.cmdTasks();
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(namesOf(groups[0]), QStringList({"c", "d"}));
}

TEST(BuildManagerCommandLine, PathsAreExpandedAndMadeAbsolute) {
  struct Case {
    const char* name;
    Args args;
    QString job, properties, scan;
  };
  Case cases[] = {
      {"relative job", Args{"-job", "j.xml"}, appPath("j.xml"), "", ""},
      {"absolute job, later one wins", Args{"-job", "/a/j.xml", "-job", "/b/k.xml"}, "/b/k.xml", "", ""},
      {"job takes no option as value", Args{"-job", "-properties", "p.properties"}, "", appPath("p.properties"), ""},
      {"job as last argument", Args{"-job"}, "", "", ""},
      {"other case is no option", Args{"-Job", "x"}, "", "", ""},
      {"manifest gives its directory", Args{"-pmanifest", "sub\\file.xml"}, "", "", appPath("sub")},
      {"variable reference", Args{"-job", "${root}/j.xml"}, "/r/j.xml", "", ""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildManager m;
    ASSERT_EQ(m.globalVariables().set("root", "/r"), 0);
    EXPECT_EQ(m.parseCommandLine(c.args.argc(), c.args.argv()), 0);
    EXPECT_EQ(m.jobFilePath(), c.job);
    EXPECT_EQ(m.propertiesFilePath(), c.properties);
    EXPECT_EQ(m.scanDirectory(), c.scan);
  }
}

TEST(BuildManagerCommandLine, GroupOutputsAreTakenLikeTheOtherPaths) {
  BuildManager m;
  ASSERT_EQ(m.globalVariables().set("root", "/r"), 0);
  Args args{"-build", "a", "-output", "${root}/o", "-build", "-output", "rel", "b", "-build", "c"};
  ASSERT_EQ(m.parseCommandLine(args.argc(), args.argv()), 0);
  std::vector<CmdTaskEntry> groups = m.cmdTasks();
  ASSERT_EQ(groups.size(), 3u);
  QString output;
  EXPECT_EQ(groups[0].properties.getString(CmdTaskEntry::kOutput, output), 0);
  EXPECT_EQ(output, "/r/o");
  EXPECT_EQ(groups[1].properties.getString(CmdTaskEntry::kOutput, output), 0);
  EXPECT_EQ(output, appPath("rel"));
  EXPECT_EQ(namesOf(groups[1]), QStringList({"b"}));
  EXPECT_FALSE(groups[2].properties.contains(CmdTaskEntry::kOutput));
}

TEST(BuildManagerLogControl, LevelAndFilterVariablesSteerTheLogger) {
  struct Case {
    const char* name;
    const char* value;
    int level;  // expected afterwards, starting from 6
  };
  const Case levels[] = {
      {"word", "WARN", 3}, {"long word", "Information", 4}, {"off", "off", 0}, {"number", "2", 2},
      {"above trace", "7", 6}, {"empty", "", 6}, {"not a level", "loud", 6}, {"negative", "-1", -1},
  };
  for (const Case& c : levels) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    BuildManager m;
    EXPECT_EQ(m.globalVariables().set("LOG.Level", c.value), 0);
    EXPECT_EQ(capture.manager()->level(), c.level);
    QString stored;
    EXPECT_EQ(m.globalVariables().get("log.level", stored), 0);
    EXPECT_EQ(stored, QLatin1String(c.value)) << "the store keeps the text it was handed";
  }

  ScopedLogCapture capture;
  BuildManager m;
  EXPECT_EQ(m.projectVariables().set("log.filter.task.build", "no"), 0);
  EXPECT_EQ(capture.manager()->filterMask() & logger::FilterTaskBuild, 0u);
  EXPECT_EQ(m.globalVariables().set("log.filter.task.build", "maybe"), 0);
  EXPECT_EQ(capture.manager()->filterMask() & logger::FilterTaskBuild, 0u);
  EXPECT_EQ(m.globalVariables().set("log.filter.task.build", "YES"), 0);
  EXPECT_NE(capture.manager()->filterMask() & logger::FilterTaskBuild, 0u);
}

TEST(BuildManagerVariables, BuiltinsAreSetAndTheReadOnlyOnesKeepTheirValue) {
  BuildManager m;
  EXPECT_EQ(m.initGlobalVariables(), 0);
  QString value;
  ASSERT_EQ(m.globalVariables().get("symbol.crlf", value), 0);
  EXPECT_EQ(value, "\r\n");
  EXPECT_EQ(m.globalVariables().set("this.dir", "/elsewhere"), 700);
  EXPECT_EQ(m.globalVariables().get("this.dir", value), 0);
  EXPECT_EQ(value, QCoreApplication::applicationDirPath());
  QString time;
  EXPECT_EQ(m.globalVariables().get("current.time", time), 0);
  const QDateTime start = QDateTime::fromString(time, "MM/dd/yyyy hh:mm:ss");
  ASSERT_TRUE(start.isValid()) << qPrintable(time);
  EXPECT_EQ(m.globalVariables().get("version.build.number", value), 0);
  EXPECT_EQ(value.toInt(), start.date().month() * 100 + start.date().day());
  EXPECT_TRUE(m.projectVariables().exists("interrupt.tasks.on.error"));
}

TEST(BuildManagerVariables, StoreExpanderIgnoresChangesOfLetterCaseOnly) {
  BuildManager m;
  EXPECT_EQ(m.globalVariables().set("v", "${V}"), 0);
  EXPECT_EQ(m.globalVariables().set("w", "value"), 0);
  QString text = "${v}";
  EXPECT_FALSE(m.tasksExpander()->expand(text));
  EXPECT_EQ(text, "${v}");
  text = "${w}/${unknown}";
  EXPECT_TRUE(m.tasksExpander()->expand(text));
  EXPECT_EQ(text, "value/${unknown}");
  EXPECT_FALSE(m.projectsExpander()->expand(text = "${w}")) << "the project store does not hold w";
}

TEST(BuildManagerHolder, MacrodefsAreNumberedAndFoundByNameIgnoringCase) {
  BuildManager m;
  auto* first = new MacrodefImpl("Build");
  auto* second = new MacrodefImpl("BUILD");
  EXPECT_EQ(m.addMacrodef(first), 0);
  EXPECT_EQ(m.addMacrodef(second), 0);
  EXPECT_EQ(first->getId(), 1u);
  EXPECT_EQ(second->getId(), 2u);
  EXPECT_EQ(m.find("build"), first);
  EXPECT_TRUE(m.contains("bUILD"));
  EXPECT_EQ(m.removeMacrodef(first), 0);
  EXPECT_EQ(m.find("build"), second);
  EXPECT_FALSE(m.contains("other"));
  EXPECT_EQ(m.addMacrodef(nullptr), 0);
}

TEST(BuildManagerHolder, RemoveTaskTakesOnlyTheHeldPointer) {
  BuildManager m;
  auto* a = new ScriptedTask(1, "A", 0);
  auto* b = new ScriptedTask(2, "B", 0);
  EXPECT_EQ(m.addTask(a), 0);
  EXPECT_EQ(m.addTask(b), 0);
  ScriptedTask stranger(3, "C", 0);
  EXPECT_EQ(m.removeTask(&stranger), 0);
  EXPECT_EQ(m.rootTasks().size(), 2u);
  EXPECT_EQ(m.removeTask(a), 0);
  ASSERT_EQ(m.rootTasks().size(), 1u);
  EXPECT_EQ(m.rootTasks()[0].get(), b);
}

TEST(BuildManagerProjects, EmptyTableAnswersNothing) {
  BuildManager m;
  EXPECT_EQ(m.count(), 0);
  EXPECT_FALSE(m.exists("app"));
  EXPECT_EQ(m.getProject("app"), nullptr);
  EXPECT_EQ(m.getProjectAt(0), nullptr);
  EXPECT_EQ(m.getProjectAt(-1), nullptr);
}

TEST(BuildManagerConditions, EmptyTextsNeedNoInterpreter) {
  BuildManager m;
  bool result = false;
  EXPECT_EQ(m.evaluateCondition("", result), 0);
  EXPECT_TRUE(result);
  QString value = "old";
  EXPECT_EQ(m.calculate("", value), 0);
  EXPECT_TRUE(value.isEmpty());
}

TEST(BuildManagerConditions, ResultTextIsJudgedByTheTrueWordsOnly) {
  BuildManager m;
  const struct {
    const char* text;
    bool expected;
  } cases[] = {{"YES", true}, {"Ok", true}, {"1", true},      {"2", false},
               {"maybe", false}, {"a == a", true}, {"a == b", false}};
  for (const auto& c : cases) {
    for (bool before : {false, true}) {
      bool result = before;
      EXPECT_EQ(m.evaluateCondition(c.text, result), 0) << c.text;
      EXPECT_EQ(result, c.expected) << c.text << " starting from " << before;
    }
  }
  QString value;
  EXPECT_EQ(m.calculate("a == b", value), 0);
  EXPECT_EQ(value, "false");
}

TEST(BuildManagerConditions, RefusedTextLeavesTheResultAndGivesTheCode) {
  BuildManager m;
  for (bool before : {false, true}) {
    bool result = before;
    EXPECT_EQ(m.evaluateCondition("a or (b", result), 2030);
    EXPECT_EQ(result, before);
  }
  QString value = "kept";
  EXPECT_EQ(m.calculate("a or (b", value), 2030);
}

// ---- root-task loop --------------------------------------------------------------------

struct TaskPlan {
  int result;
  bool enabled;
  int notification;  // 0 none, else sent before returning
};

TEST(BuildManagerLoop, ResultsSkipsAndStops) {
  struct Case {
    const char* name;
    const char* onError;  // "interrupt.tasks.on.error"; null leaves the built-in "true"
    std::vector<TaskPlan> tasks;
    int expected;
    std::vector<int> runs;
  };
  const Case cases[] = {
      {"no tasks", nullptr, {}, 0, {}},
      {"failure stops", nullptr, {{7, true, 0}, {0, true, 0}}, 7, {1, 0}},
      {"failure then success with stop off", "no", {{7, true, 0}, {0, true, 0}}, 0, {1, 1}},
      {"disabled first, failing second, stop off", "false", {{0, false, 0}, {9, true, 0}}, 9, {0, 1}},
      {"unknown word keeps stopping", "perhaps", {{7, true, 0}, {0, true, 0}}, 7, {1, 0}},
      {"interrupt stops before the next root task", nullptr, {{0, true, 200}, {5, true, 0}}, 0, {1, 0}},
      {"error interrupt keeps the task result", nullptr, {{4, true, 201}, {5, true, 0}}, 4, {1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    Quiet q;
    if (c.onError) {
      EXPECT_EQ(q.manager.globalVariables().set("interrupt.tasks.on.error", c.onError), 0);
    }
    std::vector<ScriptedTask*> tasks;
    for (size_t i = 0; i < c.tasks.size(); ++i) {
      const TaskPlan plan = c.tasks[i];
      auto* task = new ScriptedTask(i + 1, QStringLiteral("T%1").arg(i + 1), plan.result, [plan](INotifications* n) {
        if (plan.notification) {
          EXPECT_EQ(n->sendMessage(plan.notification, "why"), 0);
        }
      });
      task->setEnabled(plan.enabled);
      EXPECT_EQ(q.manager.addTask(task), 0);
      tasks.push_back(task);
    }
    EXPECT_EQ(q.manager.performTasks(), c.expected);
    for (size_t i = 0; i < tasks.size(); ++i) EXPECT_EQ(tasks[i]->runs, c.runs[i]) << "task " << i + 1;
    EXPECT_TRUE(capture.log().contains(
        QStringLiteral("[PerformTasks] Number of tasks (root tasks) to process: %1").arg(c.tasks.size())));
  }
}

TEST(BuildManagerLoop, ProcessedTaskIsSkippedAndLogged) {
  ScopedLogCapture capture;
  Quiet q;
  auto* task = new ScriptedTask(4, "Done", 3);
  task->setProcessed(true);
  EXPECT_EQ(q.manager.addTask(task), 0);
  EXPECT_EQ(q.manager.performTasks(), 0);
  EXPECT_EQ(task->runs, 0);
  EXPECT_TRUE(capture.log().contains("[PerformTasks] Task already processed. Task name: Done. Task ID: 4"));
}

TEST(BuildManagerNotifications, InterruptSetsTheStateAndTheVariable) {
  ScopedLogCapture capture;
  Quiet q;
  EXPECT_EQ(q.manager.sendMessage(100, "hello"), 0);
  EXPECT_TRUE(capture.log().contains("[SendMessage] Message was received: hello"));
  EXPECT_EQ(q.manager.finishState(), 0);
  EXPECT_EQ(q.manager.sendMessage(42, "ignored"), 0);
  EXPECT_EQ(q.manager.finishState(), 0);
  EXPECT_EQ(q.manager.sendMessage(201, "first"), 0);
  EXPECT_EQ(q.manager.sendMessage(200, "last"), 0);
  EXPECT_EQ(q.manager.finishState(), 1) << "the last interrupt wins";
  QString value;
  EXPECT_EQ(q.manager.globalVariables().get("interrupt.tasks", value), 0);
  EXPECT_EQ(value, "true");
}

// ---- finish ------------------------------------------------------------------------------

TEST(BuildManagerFinish, ErrorInterruptionNeverEndsWithZero) {
  struct Case {
    const char* name;
    int notification;
    int result;
    int expected;
  };
  const Case cases[] = {
      {"clean run", 0, 0, 0},
      {"failed run keeps its code", 0, 501, 501},
      {"interrupt without error is success", 200, 0, 0},
      {"error interrupt with result 0 becomes 30", 201, 0, 30},
      {"error interrupt keeps a non-zero result", 201, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    Quiet q;
    if (c.notification) {
      EXPECT_EQ(q.manager.sendMessage(c.notification, "stop here"), 0);
    }
    EXPECT_EQ(q.manager.finish(c.result), c.expected);
    EXPECT_FALSE(q.manager.isRunning());
    EXPECT_TRUE(capture.log().contains(
        QStringLiteral("Finish. Show message: 0. Play sound: 0. Result: %1").arg(c.expected)));
    if (c.notification == 201) {
      EXPECT_TRUE(capture.log().contains(
          "Finish. Execution of the tasks has been interrupted due to an error! Error message: stop here"));
    }
    if (c.notification == 200) {
      EXPECT_TRUE(capture.log().contains("Finish. Execution of the tasks has been interrupted. Message: stop here"));
    }
  }
}

TEST(BuildManagerFinish, ExitCodeNeverTurnsAFailureIntoSuccess) {
  struct Case {
    int result;
    int exitCode;
  };
  const Case cases[] = {{0, 0}, {30, 30}, {255, 255}, {256, 1}, {301, 45}, {512, 1}, {700, 188}, {-1, 255}, {-256, 1}};
  for (const Case& c : cases) EXPECT_EQ(exitCodeOf(c.result), c.exitCode) << c.result;
}

// ---- job loading and the whole run ------------------------------------------------------

TEST(BuildManagerJob, NotNamedIsNoFailureButNamedAndMissingIs) {
  {
    ScopedLogCapture capture;
    Quiet q;
    EXPECT_EQ(q.manager.loadJob(), 0);
    EXPECT_TRUE(capture.log().contains("[LoadJob] 'Job' file not defined."));
  }
  ScopedLogCapture capture;
  Quiet q;
  Args args{"-job", "/no/such/dir/job.xml"};
  EXPECT_EQ(q.manager.start(args.argc(), args.argv()), 20);
  EXPECT_TRUE(capture.log().contains("'Job' file not found. File: '/no/such/dir/job.xml'."));
  EXPECT_TRUE(capture.log().contains("[Start] Failed to load jobs. Error: 20"));
  EXPECT_FALSE(q.manager.isRunning());
}

TEST(BuildManagerJob, StartWithoutArgumentsRunsNothing) {
  ScopedLogCapture capture;
  Quiet q;
  Args args{};
  EXPECT_EQ(q.manager.start(args.argc(), args.argv()), 0);
  EXPECT_TRUE(capture.log().contains("[LoadJob] 'Job' file not defined."));
  EXPECT_TRUE(capture.log().contains("[PerformTasks] Number of tasks (root tasks) to process: 0"));
  EXPECT_TRUE(q.manager.cmdTasks().empty());
}

TEST(BuildManagerJob, DirectoryAsJobIsParsedAndFails) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ScopedLogCapture capture;
  Quiet q;
  Args args{"-job", dir.path().toUtf8().constData()};
  EXPECT_EQ(q.manager.start(args.argc(), args.argv()), 501);
  EXPECT_TRUE(capture.log().contains("[LoadJob] Failed to parse file: '" + dir.path() + "'."));
  EXPECT_TRUE(capture.log().contains("[Start] Failed to load jobs. Error: 501"));
}

TEST(BuildManagerVariables, PropertyFileReachesBothStores) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("extra.properties");
  testing_support::writeFile(path, "only.here=from the file\ninterrupt.tasks.on.error=false\n");

  ScopedLogCapture capture;
  Quiet q;
  EXPECT_EQ(q.manager.loadPropertyFile(path), 0);
  EXPECT_TRUE(capture.log().contains("[PropertyFile] Property file: '" + path + "' was loaded successfully."));
  for (VariablesMgr* store : {&q.manager.globalVariables(), &q.manager.projectVariables()}) {
    QString value;
    EXPECT_EQ(store->get("only.here", value), 0);
    EXPECT_EQ(value, "from the file");
    EXPECT_EQ(store->get("interrupt.tasks.on.error", value), 0);
    EXPECT_EQ(value, "false");
  }

  const QString missing = dir.filePath("missing.properties");
  EXPECT_EQ(q.manager.loadPropertyFile(missing), 20);
  EXPECT_TRUE(capture.log().contains("[PropertyFile] Failed to load property file: '" + missing + "'. Res: 20"));
}

TEST(BuildManagerJob, MissingExtraPropertyFileIsOnlyWarnedAbout) {
  ScopedLogCapture capture;
  Quiet q;
  Args args{"-properties", "/no/such/extra.properties"};
  EXPECT_EQ(q.manager.start(args.argc(), args.argv()), 0);
  EXPECT_TRUE(capture.log().contains("[Start] Properties-file is not found. Path: /no/such/extra.properties"));
}

}  // namespace
