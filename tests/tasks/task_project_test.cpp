#include "tasks/task_project.h"

#include "project/iprojects_provider.h"
#include "project/project_build.h"
#include "task_test_support.h"
#include "tasks/task_foreach.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

class FakeProjects : public IProjectsProvider {
 public:
  ProjectBuild* add(const QString& name) {
    auto& slot = projects[name.toLower()];
    slot = std::make_unique<ProjectBuild>(static_cast<qint64>(projects.size()), name);
    return slot.get();
  }
  bool exists(const QString& name) override { return getProject(name) != nullptr; }
  IProject* getProject(const QString& name) override {
    auto it = projects.find(name.toLower());
    return it == projects.end() ? nullptr : it->second.get();
  }
  int count() override { return static_cast<int>(projects.size()); }
  IProject* getProjectAt(int index) override {
    if (index < 0 || index >= count()) return nullptr;
    return std::next(projects.begin(), index)->second.get();
  }
  std::map<QString, std::unique_ptr<ProjectBuild>> projects;
};

RecordingProjectTask* addProjectTask(ITask* parent, std::uint64_t id, const QString& project, FakeProjects* projects) {
  auto* task = addNew<RecordingProjectTask>(parent, id, "Build", nullptr);
  EXPECT_EQ(0, task->getPropertiesSetter()->setString("projectName", project));
  task->setProjectsProvider(projects);
  return task;
}

TEST(TaskProjectTest, ParentProjectNamesSkipTasksInBetween) {
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("p", "app"));
  FakeProjects projects;
  RecordingProjectTask build(1, "Build", nullptr);
  EXPECT_EQ(0, build.getPropertiesSetter()->setString("projectName", "${p}"));
  build.setProjectsProvider(&projects);
  auto* loop = addNew<TaskForeach>(&build, 2, nullptr);
  auto* middle = addProjectTask(loop, 3, "lib", &projects);
  auto* inner = addProjectTask(middle, 4, "core", &projects);

  EXPECT_EQ("lib,app", inner->getParentProjectNames(&f.expander, &f.variables));
  EXPECT_EQ("app", middle->getParentProjectNames(&f.expander, &f.variables));
  EXPECT_EQ("", build.getParentProjectNames(&f.expander, &f.variables));
  EXPECT_EQ("app", build.getProjectName(&f.expander));

  inner->setProjectsProvider(nullptr);
  EXPECT_EQ("", inner->getParentProjectNames(&f.expander, &f.variables));
  EXPECT_EQ(nullptr, inner->getProject("app"));
  projects.add("App");
  EXPECT_NE(nullptr, build.getProject("APP"));
  EXPECT_EQ(nullptr, build.getProject("other"));
}

TEST(TaskProjectTest, EnvironmentIsCopiedInAndOut) {
  RecordingProjectTask task(1, "Build", nullptr);
  TaskEnvironment env{{"PATH", "/bin"}, {"K", "v"}};
  task.setEnvironment(env);
  env.clear();
  task.getEnvironment(env);
  EXPECT_EQ((TaskEnvironment{{"PATH", "/bin"}, {"K", "v"}}), env);
}

TEST(TaskProjectTest, OutputSubdirectoriesFromVariablesOrProperties) {
  RunFixture f;
  RecordingProjectTask task(1, "Build", nullptr);
  EXPECT_EQ(0, task.getPropertiesSetter()->setString("preferOutSubDir", "fromProperty"));
  EXPECT_EQ("fromProperty", task.getOutSubdir("app", &f.expander, &f.variables));
  EXPECT_EQ(0, f.variables.set("app.prefer.out.subdir", "fromVariable"));
  EXPECT_EQ("fromVariable", task.getOutSubdir("app", &f.expander, &f.variables));
  EXPECT_EQ("", task.getOutSubdir("", &f.expander, &f.variables));

  EXPECT_FALSE(task.isOutSubdirRecursive("app", &f.expander, &f.variables));
  EXPECT_EQ(0, f.variables.set("app.prefer.out.subdir.recursively", " yes "));
  EXPECT_TRUE(task.isOutSubdirRecursive("app", &f.expander, &f.variables));
  EXPECT_FALSE(task.isOutSubdirRecursive("app", nullptr, &f.variables));
  EXPECT_TRUE(task.isOutSubdirRecursive("", &f.expander, &f.variables));

  EXPECT_EQ(0, f.variables.set("app.bin.fileset.prefer.out.subdir", "b"));
  EXPECT_EQ(0, f.variables.set("app.fileset.prefer.out.subdir", "all"));
  EXPECT_EQ("b", task.getFileSetOutSubdir("app", &f.expander, &f.variables, "bin"));
  EXPECT_EQ("all", task.getFileSetOutSubdir("app", &f.expander, &f.variables, ""));
  EXPECT_EQ("", task.getFileSetOutSubdir("app", &f.expander, &f.variables, "lib"));
}

TEST(TaskProjectTest, FindsProjectTasksAmongDescendants) {
  FakeProjects projects;
  RecordingTask root(1, "Root", nullptr);
  auto* loop = addNew<TaskForeach>(&root, 2, nullptr);
  auto* lib = addProjectTask(loop, 3, "Lib", &projects);
  EXPECT_EQ(0, lib->getPropertiesSetter()->setString("currentProjectName", "LibPrepared"));
  addProjectTask(&root, 4, "app", &projects);
  EXPECT_TRUE(hasProjectTask(&root, "APP"));
  EXPECT_TRUE(hasProjectTask(&root, "libprepared"));
  EXPECT_FALSE(hasProjectTask(&root, "Lib"));  // the current name counts first
  EXPECT_FALSE(hasProjectTask(nullptr, "app"));

  std::set<QString, CaseBlindLess> names;
  collectProjectTaskNames(&root, names);
  EXPECT_EQ(names, (std::set<QString, CaseBlindLess>{"app", "LibPrepared"})) << "the same names in one walk";
  collectProjectTaskNames(lib, names);
  EXPECT_EQ(names.size(), 2u) << "the task itself is not below itself";
}

TEST(TaskProjectTest, DependentOutputSubdirsFollowTheDependencesAndTheirConditions) {
  ScopedLogCapture capture;
  RunFixture f;
  FakeProjects projects;
  EXPECT_EQ(0, projects.add("app")->addChildProject({"lib", ""}));
  EXPECT_EQ(0, projects.projects["app"]->addChildProject({"tool", "${with.tool}"}));
  EXPECT_EQ(0, projects.add("lib")->addChildProject({"core", ""}));
  EXPECT_EQ(0, f.variables.set("with.tool", "no"));
  f.handler.evaluate = [](const QString& text, bool& result) {
    result = text != "no";
    return 0;
  };

  RecordingProjectTask app(1, "Build", nullptr);
  EXPECT_EQ(0, app.getPropertiesSetter()->setString("projectName", "app"));
  app.setProjectsProvider(&projects);
  auto* lib = addProjectTask(&app, 2, "LIB", &projects);
  auto* tool = addProjectTask(&app, 3, "tool", &projects);
  auto* core = addProjectTask(lib, 4, "core", &projects);
  auto* stranger = addProjectTask(&app, 5, "other", &projects);

  EXPECT_TRUE(app.checkDependenceCondition(&f.expander, &f.handler, "x64"));
  auto subdir = [](ITask* t) {
    QString value;
    (void)t->getProperties()->getString("preferOutSubDir", value);  // optional
    return value;
  };
  EXPECT_EQ("x64", subdir(lib));
  EXPECT_EQ("", subdir(tool));
  EXPECT_EQ("x64", subdir(core));
  EXPECT_EQ("", subdir(stranger));
  EXPECT_TRUE(capture.log().contains("Condition was calculated successfully. Condition is false.\n"
                                     "    Condition template: '${with.tool}'.\n    Condition: 'no'. \n    Task ID: 3"));

  // A condition that cannot be evaluated does not drop the dependence; a true one keeps it too.
  capture.clear();
  EXPECT_EQ(0, projects.add("svc")->addChildProject({"broken", " ${c} "}));
  EXPECT_EQ(0, projects.projects["svc"]->addChildProject({"fine", "yes"}));
  EXPECT_EQ(0, f.variables.set("c", "bad"));
  f.handler.evaluate = [](const QString& text, bool& result) {
    if (text == "bad") return 2003;
    result = true;
    return 0;
  };
  RecordingProjectTask svc(6, "Build", nullptr);
  EXPECT_EQ(0, svc.getPropertiesSetter()->setString("projectName", "svc"));
  svc.setProjectsProvider(&projects);
  auto* broken = addProjectTask(&svc, 7, "broken", &projects);
  auto* fine = addProjectTask(&svc, 8, "fine", &projects);
  EXPECT_TRUE(svc.checkDependenceCondition(&f.expander, &f.handler, "arm"));
  EXPECT_EQ("arm", subdir(broken));
  EXPECT_EQ("arm", subdir(fine));
  EXPECT_TRUE(capture.log().contains("Failed to calculate the condition for the dependence.\n    Error: 2003.\n"
                                     "    Condition template: ' ${c} '.\n    Condition: 'bad'. \n    Task ID: 7"))
      << capture.log().texts().join("|").toStdString();
  EXPECT_TRUE(capture.log().contains("Condition was calculated successfully. Condition is true. \n"
                                     "    Condition template: 'yes'.\n    Condition: 'yes'. \n    Task ID: 8"));

  RecordingProjectTask unknown(9, "Build", nullptr);
  EXPECT_EQ(0, unknown.getPropertiesSetter()->setString("projectName", "nosuch"));
  unknown.setProjectsProvider(&projects);
  addProjectTask(&unknown, 10, "lib", &projects);
  EXPECT_FALSE(unknown.checkDependenceCondition(&f.expander, &f.handler, "x64"));
}

}  // namespace
