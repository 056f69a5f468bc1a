#include "build/task_build.h"
#include "build/task_build_qmake.h"

#include "project/fake_projects.h"
#include "tasks/task_test_env.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A build task for the project "app" as the driver and the element parser leave it.
class TaskBuildTest : public task_test_env::TaskTest {
 protected:
  TaskBuildTest() {
    project_ = projects_.add<ProjectBuild>("app");
    project_->setBuildType(BuildToolQmake);
    project_->setDefFile(path("src/varkel.xml"));
    project_->setSolutionDir(path("src"));
    project_->setProjectFile("app.pro");
    project_->setPlatformToolset("${tools}");
    task_.setProjectsProvider(&projects_);
    set("projectName", "app");
    EXPECT_EQ(0, vars_.set("tools", "gcc12"));
  }

  void set(const QString& key, const QString& value) { EXPECT_EQ(0, task_.getPropertiesSetter()->setString(key, value)); }
  void setOn(TaskBuildImpl* builder, const QString& key, const QString& value) {
    EXPECT_EQ(0, builder->getPropertiesSetter()->setString(key, value));
  }
  int preStart() { return task_.preStart(&expander_, &vars_, &vars_, nullptr, nullptr); }

  project_testing::FakeProjects projects_;
  ProjectBuild* project_;
  TaskBuild task_{7, nullptr};
};

TEST_F(TaskBuildTest, PicksTheBuilderByTheProjectsBuildType) {
  projects_.add<ProjectBuild>("tool")->setBuildType(BuildToolMake);
  projects_.add<ProjectBuild>("bare");
  const struct {
    const char* name;
    const char* projectName;
    int code;
    const char* error;
  } cases[] = {
      {"no project name", "  ", 314, "Project name not defined! Task ID: 7"},
      {"unknown project", "${missing}", 400, "Project with name '${missing}' not found. Task ID: 7"},
      {"no build type", "bare", 360, "Project build type is not defined! Task ID: 7"},
      {"make has no builder", "tool", 360,
       "Failed to create concrete project object! . Task ID: 7. Project name: tool. Build type: 300"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    TaskBuild task(7, nullptr);
    task.setProjectsProvider(&projects_);
    EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", c.projectName));
    EXPECT_EQ(c.code, task.preStart(&expander_, &vars_, &vars_, nullptr, nullptr));
    EXPECT_EQ(nullptr, task.builder());
    EXPECT_TRUE(capture_.log().contains(c.error));
    EXPECT_EQ(4, task.start(&expander_, &vars_, &vars_, nullptr, nullptr)) << "no builder to start";
  }

  ASSERT_EQ(0, preStart());
  auto* builder = dynamic_cast<TaskBuildQmake*>(task_.builder());
  ASSERT_NE(nullptr, builder);
  EXPECT_EQ(7u, builder->getId());
  EXPECT_EQ(1, builder->getType());
  EXPECT_EQ("qmake.build", builder->getName());
  EXPECT_EQ(nullptr, builder->getParent());
}

TEST_F(TaskBuildTest, HandsTheCurrentAttributesToTheSameBuilderOnEveryPreStart) {
  set("configuration", " ${conf} ");
  set("failonerror", " no ");
  task_.setEnvironment({{"A", "1"}});
  EXPECT_EQ(0, vars_.set("conf", "debug"));
  ASSERT_EQ(0, preStart());
  TaskBuildImpl* builder = task_.builder();
  QString configuration;
  ASSERT_EQ(0, builder->getConfiguration(&expander_, configuration));
  EXPECT_EQ("debug", configuration);
  EXPECT_EQ("no", builder->getFailOnError());
  EXPECT_EQ("1", builder->getProcessEnvironment(&expander_).value("A"));

  set("configuration", "release");
  set("failonerror", "");
  task_.setEnvironment({{"A", "2"}});
  ASSERT_EQ(0, preStart());
  EXPECT_EQ(builder, task_.builder()) << "made once";
  ASSERT_EQ(0, builder->getConfiguration(&expander_, configuration));
  EXPECT_EQ("release", configuration);
  EXPECT_EQ("", builder->getFailOnError());
  EXPECT_EQ("2", builder->getProcessEnvironment(&expander_).value("A"));
}

TEST_F(TaskBuildTest, ABuilderMadeAfterAStopIsStoppedBeforeItStarts) {
  task_.interrupt();
  ASSERT_EQ(0, preStart());
  ASSERT_NE(nullptr, task_.builder());
  EXPECT_TRUE(task_.builder()->isInterrupted());
}

TEST_F(TaskBuildTest, PlatformIsMappedByTheFirstMappingOfItsNameInAnyCase) {
  project_->setPlatformMappings({{"arm", "armv7"}, {"X64", "amd64"}, {"x64", "second"}});
  ASSERT_EQ(0, preStart());
  TaskBuildImpl* builder = task_.builder();
  const struct {
    const char* given;
    const char* platform;
  } cases[] = {{" x64 ", "amd64"}, {"ARM", "armv7"}, {"mips", "mips"}, {"", ""}};
  for (const auto& c : cases) {
    setOn(builder, "platform", c.given);
    QString platform = "<unset>";
    EXPECT_EQ(0, builder->getPlatform(&expander_, platform));
    EXPECT_EQ(c.platform, platform) << c.given;
  }
  QString untouched = "<unset>";
  EXPECT_EQ(200, TaskBuildQmake(1, nullptr).getPlatform(&expander_, untouched)) << "no attribute";
  EXPECT_EQ("<unset>", untouched);
}

TEST_F(TaskBuildTest, ToolsetRootDirAndProjectFileFallBackToTheProject) {
  ASSERT_EQ(0, preStart());
  TaskBuildImpl* builder = task_.builder();
  QString toolset;
  EXPECT_EQ(0, builder->getPlatformToolset(&expander_, toolset));
  EXPECT_EQ("gcc12", toolset) << "the project's own, expanded";
  EXPECT_EQ(path("src"), builder->getRootDir(&expander_));
  EXPECT_EQ(path("src/app.pro"), builder->getProjectFilePath(&expander_));

  setOn(builder, "platformToolset", " clang ");
  setOn(builder, "rootdir", path("root"));
  EXPECT_EQ(0, builder->getPlatformToolset(&expander_, toolset));
  EXPECT_EQ("clang", toolset);
  EXPECT_EQ(path("root"), builder->getRootDir(&expander_));
  EXPECT_EQ(path("root/app.pro"), builder->getProjectFilePath(&expander_));
  setOn(builder, "projectFile", " ${tools}.pro ");
  EXPECT_EQ("gcc12.pro", builder->getProjectFilePath(&expander_));

  setOn(builder, "platformToolset", "");
  setOn(builder, "rootdir", "");
  setOn(builder, "projectFile", "");
  setOn(builder, "projectName", "gone");
  EXPECT_EQ(400, builder->getPlatformToolset(&expander_, toolset));
  EXPECT_EQ("", builder->getRootDir(&expander_));
  EXPECT_EQ("", builder->getProjectFilePath(&expander_));
  setOn(builder, "projectName", "");
  EXPECT_EQ(314, builder->getPlatformToolset(&expander_, toolset));
}

TEST_F(TaskBuildTest, EnvironmentEntriesAreExpandedAndEmptyNamesDropped) {
  task_.setEnvironment({{"", "x"}, {" ${tools}_HOME ", " /opt/${tools} "}, {"B", "${none}"}});
  ASSERT_EQ(0, preStart());
  const QProcessEnvironment environment = task_.builder()->getProcessEnvironment(&expander_);
  QStringList names = environment.keys();
  names.sort();
  EXPECT_EQ(QStringList({"B", "gcc12_HOME"}), names);
  EXPECT_EQ("B=${none};gcc12_HOME= /opt/gcc12 ", TaskBuildImpl::environmentToText(environment));
  EXPECT_EQ("", TaskBuildImpl::environmentToText(QProcessEnvironment()));
}

TEST(TaskBuildQmakeKeys, KeysNameConfigurationPlatformToolsetAndOutput) {
  TaskBuildQmake builder(1, nullptr);
  EXPECT_EQ("{configuration:release;platform:x64;toolset:vc15;qmake}",
            builder.buildStateKey("release", "x64", "vc15"));
  EXPECT_EQ("{configuration:;platform:;toolset:;qmake}/out", builder.projectBuildStateKey("", "", "", "/out"));
}

}  // namespace
