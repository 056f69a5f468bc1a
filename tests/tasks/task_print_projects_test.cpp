#include "tasks/task_print_projects.h"

#include "project/fake_projects.h"
#include "tasks/result_codes.h"
#include "task_test_support.h"
#include "test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace task_testing;
using project_testing::FakeProjects;
using testing_support::ScopedLogCapture;

namespace {

class TaskPrintProjectsTest : public ::testing::Test {
 protected:
  TaskPrintProjectsTest() {
    ProjectBuild* app = projects_.add<ProjectBuild>("app");
    app->setBuildType(BuildToolQmake);
    app->setProjectFile("src/app.pro");
    app->setDefFile("/r/varkel.xml");
    app->setSolutionDir("/r/");
    app->setFilter("tools");
    app->setComment("the program");
    app->setCondition("IsOsLinux()");
    app->setPlatformToolset("v1");
    app->setAttributes({{"kind", "gui"}});
    (void)app->getPropertiesSetter()->setString("extra", "1");
    (void)app->addVersionFile({"inc/ver.h", "main"});
    (void)app->addChildProject({"core", "IsTrue(yes)"});
    (void)app->addChildProject({"zlib", ""});
    (void)app->addParentProject("installer");
    app->setPlatformMappings({{"x64", "amd64"}});
    FileSetInfo set;
    set.id = "bin";
    set.dir = "out";
    set.nameCorrectors.push_back({"", "debug", "", "d"});
    set.includes.push_back({"*.so", "", "lib"});
    set.excludes << "*.a";
    app->setOutputs({set});
    projects_.add<ProjectFiles>("Core")->setDistribution(DistributionInternal);
    task_.setProjectsProvider(&projects_);
  }

  int run(const char* details, const char* showDependence, const QString& file = QString()) {
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString("details", details));
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString("showDependence", showDependence));
    EXPECT_EQ(0, task_.getPropertiesSetter()->setString("file", file));
    task_.setResultVar("res");
    return run_.run(&task_);
  }

  ScopedLogCapture log_{logger::LogInfo};
  RunFixture run_;
  FakeProjects projects_;
  TaskPrintProjects task_{5, nullptr};
};

TEST_F(TaskPrintProjectsTest, BriefListingWithAndWithoutDependences) {
  EXPECT_EQ(run("no", " 1 "), 0);
  EXPECT_TRUE(log_.log().contains("Projects list:\n\napp\n    core Condition: 'IsTrue(yes)'\n    zlib\nCore\n\n"))
      << log_.log().texts().join('|').toStdString();
  EXPECT_EQ(run_.var("res"), "0");
  EXPECT_TRUE(run_.preprocessor.prepared.isEmpty()) << "the runner never prepares it for a project";
  log_.clear();
  EXPECT_EQ(run("", "on"), 0) << "only true words count as true";
  EXPECT_TRUE(log_.log().contains("Projects list:\n\napp\nCore\n\n"));
}

TEST_F(TaskPrintProjectsTest, DetailsListEverythingAndGoToTheFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("projects.txt");
  ASSERT_EQ(run_.variables.set("out", file), 0);
  EXPECT_EQ(run("YES", "true", " ${out} "), 0);
  const char* expected =
      "Projects list:\n\n"
      "--------------------------------------------------------\n"
      "Project name:         app\n"
      "Project type:         build\n"
      "Build type:           qmake\n"
      "Distribution type:    product\n"
      "Project file:         src/app.pro\n"
      "Definition file:      /r/varkel.xml\n"
      "Solution directory:   /r/\n"
      "Filter:               tools\n"
      "Comment:              the program\n"
      "Condition:            IsOsLinux()\n"
      "Is processed:         0\n"
      "ID:                   1\n"
      "Platform toolset:     v1\n"
      "Project attributes: \n"
      "    kind='gui'\n"
      "Project properties: \n"
      "    extra='1'\n"
      "Version files:\n"
      "    File: 'inc/ver.h', ID: 'main'\n"
      "Child projects:\n"
      "    core Condition: 'IsTrue(yes)'\n"
      "    zlib\n"
      "Parent projects:\n"
      "    installer\n"
      "Platform mappings:\n"
      "    'x64' -> 'amd64'\n"
      "Output files:\n"
      "    Directory: 'out', ID: 'bin', condition: ''\n"
      "    Correctors:\n"
      "        Configuration: 'debug', prefix: '', suffix: 'd', file ext: ''\n"
      "    Includes:\n"
      "        '*.so', subdirectory: 'lib'\n"
      "    Excludes:\n"
      "        '*.a'\n"
      "--------------------------------------------------------\n"
      "Project name:         Core\n"
      "Project type:         files\n"
      "Distribution type:    internal\n"
      "Project file:         \n"
      "Definition file:      \n"
      "Solution directory:   \n"
      "Filter:               \n"
      "Comment:              \n"
      "Condition:            \n"
      "Is processed:         0\n"
      "ID:                   2\n"
      "Platform toolset:     \n"
      "\n";
  EXPECT_EQ(testing_support::readFile(file).toStdString(), expected);
  EXPECT_TRUE(log_.log().contains(expected));
}

TEST_F(TaskPrintProjectsTest, AFileThatCannotBeOpenedIsLoggedAndTheListingStillLogged) {
  EXPECT_EQ(run("false", "false", "/no/such/dir/p.txt"), 0);
  EXPECT_TRUE(log_.log().contains("Failed to open file: '/no/such/dir/p.txt'. Task ID: 5"));
  EXPECT_TRUE(log_.log().contains("Projects list:\n\napp\nCore\n\n"));
  EXPECT_EQ(run_.var("res"), "0");
}

TEST_F(TaskPrintProjectsTest, WithoutProjectsNothingIsPrinted) {
  task_.setProjectsProvider(nullptr);
  task_.setFailOnError("true");
  EXPECT_EQ(run("false", "false"), task_codes::kNoProjectsProvider);
  EXPECT_EQ(run_.var("res"), "404");
  EXPECT_FALSE(log_.log().containsPart("Projects list:"));
}

TEST(TaskPrintProjects, IsAProjectTaskThatIsNeverPrepared) {
  TaskPrintProjects task(1, nullptr);
  EXPECT_EQ(task.getName(), "PrintProjects");
  EXPECT_EQ(task.getType(), 402);
  EXPECT_TRUE(task.isProjectTask());
  EXPECT_FALSE(task.isContainer());
  EXPECT_FALSE(task.isAttachedToProject());
  EXPECT_FALSE(task.isDependsFromOtherProjects(nullptr, nullptr));
}

}  // namespace
