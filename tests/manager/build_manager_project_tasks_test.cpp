#include "manager/build_manager.h"

#include "build/rules_tree.h"
#include "build/task_copy_project_files.h"
#include "manager_test_support.h"
#include "tasks/task_common.h"
#include "test_support.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

using build_testing::RulesTree;
using manager_testing::Args;
using manager_testing::Quiet;
using testing_support::ScopedLogCapture;

namespace {

struct Dependence {
  const char* name;
  const char* condition;
};

QByteArray filesProject(const char* name, std::initializer_list<Dependence> dependences = {},
                        const char* outputs = "") {
  QByteArray xml = QByteArray("<solution type=\"files\" name=\"") + name + "\"><output>" + outputs + "</output>";
  xml += "<dependencies>";
  for (const Dependence& d : dependences)
    xml += QByteArray("<dependence name=\"") + d.name + "\" condition=\"" + d.condition + "\"/>";
  return xml + "</dependencies></solution>";
}

// A driver whose project table holds the given solutions, read from one 'build rules' file.
class PreparationTest : public ::testing::Test {
 protected:
  void load(std::initializer_list<QByteArray> solutions) {
    QByteArray xml = "<solutions>";
    for (const QByteArray& s : solutions) xml += s;
    rulesFile_ = tree_.rules("", {}, xml + "</solutions>");
    ASSERT_EQ(manager().parseBuildRules(rulesFile_), 0);
  }
  BuildManager& manager() { return quiet_.manager; }

  // A libs task for the project, as the job reader makes it, not yet prepared.
  std::shared_ptr<ITask> libsTask(const QString& project, const QString& fileSetIds = QString()) {
    PropertiesMgr attributes;
    EXPECT_EQ(attributes.setString("projectName", project), 0);
    EXPECT_EQ(attributes.setString("output", "out"), 0);
    EXPECT_EQ(attributes.setString("condition", ""), 0);
    if (!fileSetIds.isNull()) {
      EXPECT_EQ(attributes.setString("filesetids", fileSetIds), 0);
    }
    ITask* task = nullptr;
    EXPECT_EQ(factory_.createTask(nullptr, 2, "libs", &attributes, &manager(), &manager(), &manager(), &task), 0);
    return std::shared_ptr<ITask>(task);
  }

  // The tree below a task as "name(child,child)", by project name.
  static QString shape(ITask* task) {
    QString text;
    EXPECT_EQ(0, task->getProperties()->getString("projectName", text));
    if (task->getChildCount() == 0) return text;
    QStringList children;
    for (int i = 0; i < task->getChildCount(); ++i) {
      ITask* child = nullptr;
      EXPECT_EQ(task->getChild(i, &child), 0);
      children << shape(child);
    }
    return text + "(" + children.join(',') + ")";
  }

  ScopedLogCapture capture_;
  RulesTree tree_;
  QString rulesFile_;
  Quiet quiet_;
  TaskFactoryImpl factory_;
};

TEST_F(PreparationTest, DependencesBecomeChildTasksOnceBelowTheRoot) {
  load({filesProject("a", {{"b", ""}, {"c", ""}}), filesProject("b", {{"c", ""}}), filesProject("c"),
        filesProject("x", {{"y", ""}}), filesProject("y", {{"x", ""}})});
  const struct {
    const char* project;
    const char* shape;
  } cases[] = {
      {"a", "a(b(c))"},          // c is below the root already when a's own dependence on it comes
      {"x", "x(y(x))"},          // the cycle ends where y is below the root already
      {"c", "c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.project);
    std::shared_ptr<ITask> task = libsTask(c.project);
    ASSERT_EQ(manager().prepareProjectTask(c.project, task.get()), 0);
    EXPECT_EQ(shape(task.get()), c.shape);
  }
  EXPECT_TRUE(capture_.log().contains("[AddChildProjectTask] Child task with name 'c' already exists!"));
}

TEST_F(PreparationTest, ConditionsDecideOnlyTheTasksOwnDependences) {
  load({filesProject("a", {{"b", "${take.b} == yes"}, {"c", "${take.c} == yes"}, {"d", "a or (b"}}),
        filesProject("b", {{"e", "1 == 2"}}), filesProject("c"), filesProject("d"), filesProject("e")});
  ASSERT_EQ(manager().globalVariables().set("take.b", "yes"), 0);
  ASSERT_EQ(manager().globalVariables().set("take.c", "no"), 0);
  std::shared_ptr<ITask> task = libsTask("a");
  ASSERT_EQ(manager().prepareProjectTask("a", task.get()), 0);
  EXPECT_EQ(shape(task.get()), "a(b(e),d)") << "e comes with b unasked; d's condition cannot be computed";
  EXPECT_TRUE(capture_.log().contains("Condition was calculated successfully. Condition is false.\n"
                                      "    Condition template: '${take.c} == yes'.\n"
                                      "    Condition: 'no == yes'.\n    Project: a"));
  EXPECT_TRUE(capture_.log().containsPart("Failed to calculate the condition for the dependence.\n    Error: "));
}

TEST_F(PreparationTest, ChildrenTakeTheAttributesButNotTheFileSetIds) {
  load({filesProject("a", {{"b", ""}}, "<fileset id=\"bin\" dir=\"bin\"><include name=\"a.bin\"/></fileset>"),
        filesProject("b", {}, "<fileset id=\"lib\" dir=\"lib\"><include name=\"b.lib\"/></fileset>")});
  std::shared_ptr<ITask> task = libsTask("a", "bin");
  ASSERT_EQ(manager().prepareProjectTask("a", task.get()), 0);
  ITask* child = nullptr;
  ASSERT_EQ(task->getChild(0, &child), 0);
  IPropertiesGetter* props = child->getProperties();
  EXPECT_FALSE(props->contains("filesetids"));
  QString text;
  EXPECT_EQ(props->getString("output", text), 0);
  EXPECT_EQ(text, "out");
  EXPECT_EQ(props->getString("projectName", text), 0);
  EXPECT_EQ(text, "b");
  EXPECT_EQ(props->getString("currentProjectName", text), 0);
  EXPECT_EQ(text, "b");
  EXPECT_EQ(props->getString("rootdir", text), 0);
  EXPECT_EQ(text, tree_.path());
  EXPECT_TRUE(task->isPrepared() && child->isPrepared());
  EXPECT_TRUE(task->getProperties()->contains("filesetids")) << "the task keeps its own";

  auto* copy = dynamic_cast<TaskCopyProjectFiles*>(child);
  ASSERT_TRUE(copy);
  const std::vector<FileSetInfo> sets = copy->getFileSets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].id, "lib") << "the child's file sets are its own project's";
}

TEST_F(PreparationTest, IndependentTasksAndFailures) {
  load({filesProject("a", {{"b", ""}}), filesProject("b", {{"gone", ""}})});
  std::shared_ptr<ITask> alone = libsTask("a");
  EXPECT_EQ(0, alone->getPropertiesSetter()->setString("notrecursively", "true"));
  ASSERT_EQ(manager().prepareProjectTask("a", alone.get()), 0);
  EXPECT_EQ(shape(alone.get()), "a");

  std::shared_ptr<ITask> broken = libsTask("b");
  EXPECT_EQ(manager().prepareProjectTask("b", broken.get()), 400);
  EXPECT_TRUE(capture_.log().contains("[AddChildProjectTask] Project for task not found. Project name: 'gone'"));

  std::shared_ptr<ITask> unknown = libsTask("nope");
  EXPECT_EQ(manager().prepareProjectTask("nope", unknown.get()), 400);
  EXPECT_EQ(manager().prepareProjectTask("a", nullptr), 0);
  EXPECT_EQ(manager().setProjectTaskVariables(nullptr, alone.get(), true), 3);
}

// A task of the build type, which the environment goes down to.
class BuildLike : public TaskProject {
 public:
  BuildLike(int type, ITask* parent) : TaskProject(0, "BuildLike", parent), type_(type) {}
  ~BuildLike() override { markInterrupted(); }
  int getType() const override { return type_; }
  int start(IVariablesExpander*, IVariablesGetter*, IVariablesSetter*, IConditionHandler*, INotifications*) override {
    return 0;
  }
  void interrupt() override { markInterrupted(); }
  TaskEnvironment environment() const {
    TaskEnvironment env;
    getEnvironment(env);
    return env;
  }

 private:
  int type_;
};

TEST_F(PreparationTest, TheEnvironmentGoesDownThroughBuildTasksOnly) {
  BuildLike root(1, nullptr);
  auto* build = new BuildLike(1, &root);
  auto* below = new BuildLike(1, build);
  auto* copy = new BuildLike(2, &root);
  auto* belowCopy = new BuildLike(1, copy);
  ASSERT_EQ(root.addChild(build), 0);
  ASSERT_EQ(build->addChild(below), 0);
  ASSERT_EQ(root.addChild(copy), 0);
  ASSERT_EQ(copy->addChild(belowCopy), 0);

  const TaskEnvironment env{{"PATH", "/bin"}, {"A", "1"}};
  ASSERT_EQ(manager().addEnvironmentVariablesToChildTasks(&root, env), 0);
  EXPECT_EQ(build->environment(), env);
  EXPECT_EQ(below->environment(), env);
  EXPECT_TRUE(copy->environment().isEmpty());
  EXPECT_TRUE(belowCopy->environment().isEmpty());
  EXPECT_TRUE(capture_.log().containsPart("Variables: A=1;PATH=/bin. "));
  EXPECT_EQ(manager().addEnvironmentVariablesToChildTasks(nullptr, env), 3);
}

TEST_F(PreparationTest, BuildGroupsBecomeRootTasks) {
  load({filesProject("a"), filesProject("b"),
        "<solution type=\"build\" buildtype=\"qmake\" name=\"app\"/>"});
  struct Case {
    const char* name;
    Args args;
    int code;
    QStringList tasks;  // "<task name>:<project>:<output>"
  };
  const QString appDir = QCoreApplication::applicationDirPath();
  Case cases[] = {
      {"names in order, output against the program's directory",
       Args{"-build", "-output", "out", "B", "a", "-build", "a", "-output", "/abs"}, 0,
       {"CopyProjectFiles:b:" + appDir + "/out", "CopyProjectFiles:a:" + appDir + "/out", "CopyProjectFiles:a:/abs"}},
      {"a missing project", Args{"-build", "a", "missing"}, 400, {}},
      {"a build project becomes a build task", Args{"-build", "app", "-output", "/abs"}, 0, {"Build:app:/abs"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(manager().parseCommandLine(c.args.argc(), c.args.argv()), 0);
    EXPECT_EQ(manager().prepareCmdTasks(), c.code);
    QStringList tasks;
    for (const std::shared_ptr<ITask>& task : manager().rootTasks()) {
      QString project, output, configuration;
      EXPECT_EQ(0, task->getProperties()->getString("projectName", project));
      (void)task->getProperties()->getString("output", output);  // a group may have none
      EXPECT_EQ(task->getProperties()->getString("configuration", configuration), 0) << "an empty text, not missing";
      EXPECT_FALSE(task->isPrepared());
      tasks << task->getName() + ":" + project + ":" + output;
    }
    if (c.code == 0) {
      EXPECT_EQ(tasks, c.tasks);
    }
  }
  EXPECT_TRUE(capture_.log().contains("[PrepareCmdTasks] Project with name 'missing' not found"));
}

}  // namespace
