#include "build/task_copy_project_files.h"

#include "project/fake_projects.h"
#include "tasks/task_test_env.h"
#include "project/project_state.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <vector>

namespace {

using task_test_env::readFile;
using task_test_env::writeFile;

FileSetInfo fileSet(const QString& id, const QString& dir, const QString& include) {
  FileSetInfo set;
  set.id = id;
  set.dir = dir;
  set.includes.push_back({include, QString(), QString()});
  return set;
}

// The project "lib" with the file sets "bin" (bin/app.bin) and "lib" (lib/core.lib),
// its definition file in the temporary directory.
class TaskCopyProjectFilesTest : public task_test_env::TaskTest {
 protected:
  TaskCopyProjectFilesTest() {
    writeFile(path("bin/app.bin"), "app");
    writeFile(path("lib/core.lib"), "core");
    project_ = projects_.add<ProjectFiles>("lib");
    sets_ = {fileSet("bin", "bin", "app.bin"), fileSet("lib", "lib", "core.lib")};
  }

  // A task as the driver prepares it; a null ids text leaves "filesetids" out.
  std::unique_ptr<TaskCopyProjectFiles> task(const QString& output, const char* ids) {
    auto t = std::make_unique<TaskCopyProjectFiles>(7, nullptr);
    t->setProjectsProvider(&projects_);
    IPropertiesSetter* p = t->getPropertiesSetter();
    EXPECT_EQ(0, p->setString("projectName", "lib"));
    EXPECT_EQ(0, p->setString("output", output));
    EXPECT_EQ(0, p->setString("configuration", "release"));
    EXPECT_EQ(0, p->setString("rootdir", dir_.path()));
    EXPECT_EQ(0, p->setString("resultvar", "copied"));
    if (ids) {
      EXPECT_EQ(0, p->setString("filesetids", ids));
    }
    t->setResultVar("copied");
    t->setFileSets(sets_);
    return t;
  }
  int run(ITask& t) {
    if (const int code = t.preStart(&expander_, &vars_, &vars_, nullptr, nullptr); code != 0) return code;
    return start(t);
  }
  std::vector<QString> recorded() {
    std::vector<QString> keys;
    (void)project_->getProperties()->getStringList(project_state::kResultOutputs, keys);  // missing: none yet
    return keys;
  }

  project_testing::FakeProjects projects_;
  ProjectFiles* project_;
  std::vector<FileSetInfo> sets_;
};

TEST_F(TaskCopyProjectFilesTest, TheSameIdsInAnyOrderAreCopiedOncePerOutput) {
  ASSERT_EQ(0, run(*task(path("out"), "bin, lib")));
  EXPECT_EQ("app", readFile(path("out/app.bin")));
  EXPECT_EQ("core", readFile(path("out/core.lib")));
  EXPECT_EQ(std::vector<QString>{"{configuration:release;filesetids:bin,lib;}" + path("out")}, recorded());
  EXPECT_EQ("release", var("internal.current.build.configuration"));

  QFile::remove(path("out/app.bin"));
  ASSERT_EQ(0, run(*task(path("out"), "lib,bin,,lib")));
  EXPECT_FALSE(QFileInfo::exists(path("out/app.bin"))) << "the same copy is not made twice";
  EXPECT_TRUE(capture_.log().containsPart("This project has been already processed. \r\n"));

  ASSERT_EQ(0, run(*task(path("second"), "bin,lib")));
  EXPECT_EQ("app", readFile(path("second/app.bin"))) << "another output directory is another copy";
  EXPECT_EQ(2u, recorded().size());
}

TEST_F(TaskCopyProjectFilesTest, IdsSelectFileSetsIgnoringCase) {
  const struct {
    const char* name;
    const char* ids;  // null: no "filesetids" at all
    QStringList copied;
    QString keyIds;
  } cases[] = {
      {"a star takes every set", "*", {"app.bin", "core.lib"}, "*"},
      {"ids ignore case, the key keeps it", "BIN", {"app.bin"}, "BIN"},
      {"no attribute takes every set", nullptr, {"app.bin", "core.lib"}, "*"},
      {"an empty attribute takes none", " ", {}, ""},
      {"unknown ids take none", "nope", {}, "nope"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString out = path(QString("out%1").arg(n++));
    capture_.clear();
    ASSERT_EQ(0, run(*task(out, c.ids)));
    QStringList copied = QDir(out).entryList(QDir::Files);
    EXPECT_EQ(c.copied, copied);
    EXPECT_EQ("0", var("copied"));
    if (c.copied.isEmpty()) {
      EXPECT_TRUE(capture_.log().containsPart("No files to copy (probably invalid fileset IDs). \r\n    Output directory: '" +
                                              out + "'.\r\n    Configuration: 'release'.\r\n    Fileset IDs: '" +
                                              c.keyIds + "'.\r\n    Task ID: 7"));
    } else {
      EXPECT_EQ("{configuration:release;filesetids:" + c.keyIds + ";}" + out, recorded().back());
    }
  }
}

TEST_F(TaskCopyProjectFilesTest, FailuresAreReportedAndNothingIsRecorded) {
  auto noOutput = task("", "*");
  EXPECT_EQ(304, run(*noOutput));
  EXPECT_TRUE(capture_.log().contains("Output folder not defined! Task ID: 7"));

  auto noName = task(path("out"), "*");
  EXPECT_EQ(0, noName->getPropertiesSetter()->setString("projectName", " "));
  EXPECT_EQ(304, run(*noName));
  EXPECT_TRUE(capture_.log().contains("Project name not defined! Task ID: 7"));

  auto unknown = task(path("out"), "*");
  EXPECT_EQ(0, unknown->getPropertiesSetter()->setString("projectName", "other"));
  EXPECT_EQ(400, run(*unknown));
  EXPECT_TRUE(capture_.log().contains("Project name: 'other'. Task ID: 7"));

  QFile::remove(path("lib/core.lib"));
  auto missing = task(path("out"), "*");
  missing->setFailOnError("false");
  EXPECT_EQ(0, run(*missing));
  EXPECT_EQ("338", var("copied"));
  EXPECT_TRUE(capture_.log().contains("Failed to copy project files. Project name: 'lib'. Output: '" + path("out") +
                                      "'. Task ID: 7"));
  EXPECT_TRUE(recorded().empty()) << "a failed copy is tried again by a later task";
}

TEST_F(TaskCopyProjectFilesTest, ARelativeOutputIsTakenAgainstTheCurrentDirectory) {
  sets_ = {fileSet("bin", "bin", "*"), fileSet("lib", "lib", "core.lib")};
  QDir(dir_.path()).mkpath("work");
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(path("work")));
  const int code = run(*task("out", "*"));
  QDir::setCurrent(before);
  ASSERT_EQ(0, code);
  EXPECT_EQ("app", readFile(path("work/out/app.bin"))) << "a whole-directory include";
  EXPECT_EQ("core", readFile(path("work/out/core.lib"))) << "and a file include land in one tree";
}

TEST_F(TaskCopyProjectFilesTest, SubdirectoriesFromVariables) {
  ASSERT_EQ(0, vars_.set("lib.prefer.out.subdir", "x64"));
  ASSERT_EQ(0, vars_.set("lib.bin.fileset.prefer.out.subdir", "tools, bin"));
  ASSERT_EQ(0, run(*task(path("out"), "*")));
  EXPECT_EQ("app", readFile(path("out/x64/tools/app.bin")));
  EXPECT_EQ("app", readFile(path("out/x64/bin/app.bin")));
  EXPECT_EQ("core", readFile(path("out/x64/core.lib"))) << "a set without a mapping goes straight in";
  EXPECT_EQ("{configuration:release;filesetids:*;}" + path("out") + "/x64", recorded().back());
  EXPECT_TRUE(capture_.log().containsPart("File set subdirectory info. \r\n    Project name: 'lib'.\r\n"
                                          "    Output directory: '" + path("out") + "/x64'.\r\n"
                                          "    File set directory: 'bin'.\r\n    File set ID: 'bin'.\r\n"
                                          "    File set subdirectory: 'tools, bin'.\r\n"
                                          "    Fileset IDs: '*'.\r\n    Task ID: 7"));
}

TEST_F(TaskCopyProjectFilesTest, ARecursiveSubdirectoryReachesTheDependences) {
  projects_.add<ProjectFiles>("core");
  EXPECT_EQ(0, project_->addChildProject({"core", ""}));
  auto t = task(path("out"), "*");
  auto* child = new TaskCopyProjectFiles(8, nullptr);
  EXPECT_EQ(0, child->getPropertiesSetter()->setString("projectName", "core"));
  ASSERT_EQ(t->addChild(child), 0);
  ASSERT_EQ(0, vars_.set("lib.prefer.out.subdir", "x64"));
  ASSERT_EQ(0, vars_.set("lib.prefer.out.subdir.recursively", "yes"));
  ASSERT_EQ(t->preStart(&expander_, &vars_, &vars_, nullptr, nullptr), 0);
  QString subdir;
  EXPECT_EQ(child->getProperties()->getString("preferOutSubDir", subdir), 0);
  EXPECT_EQ(subdir, "x64");
  EXPECT_TRUE(capture_.log().contains("Output subdirectory was set for all child tasks. Project name: 'lib'. "
                                      "Subdirectory: 'x64'. Task ID: 7"));
}

TEST_F(TaskCopyProjectFilesTest, NotRecursivelyMakesTheProjectIndependent) {
  auto t = task(path("out"), "*");
  EXPECT_TRUE(t->isDependsFromOtherProjects(&expander_, &vars_));
  ASSERT_EQ(0, vars_.set("alone", " Yes "));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("notrecursively", "${alone}"));
  EXPECT_FALSE(t->isDependsFromOtherProjects(&expander_, &vars_));
  EXPECT_TRUE(capture_.log().contains("This project marked as an independent. Task ID: 7"));
}

}  // namespace
