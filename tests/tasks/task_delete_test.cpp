#include "tasks/task_delete.h"
#include "task_test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using task_test_env::readFile;
using task_test_env::writeFile;

namespace {

class TaskDeleteTest : public task_test_env::TaskTest {
 protected:
  TaskDeleteTest() {
    task_.setResultVar("res");
    for (const char* file : {"tree/a.obj", "tree/a.cpp", "tree/.hidden.obj", "tree/sub/b.OBJ", "tree/sub/deep/c.obj",
                             "tree/sub/deep/c.h", "outside/keep.obj"})
      put(file);
  }

  void set(const char* key, const QString& value) { ASSERT_EQ(0, task_.getPropertiesSetter()->setString(key, value)); }
  bool exists(const QString& rel) const { return QFileInfo::exists(path(rel)) || QFileInfo(path(rel)).isSymLink(); }
  void setSet(const QString& dir, std::vector<FileSetInclude> includes, QStringList excludes = {}) {
    FileSetInfo s;
    s.dir = dir;
    s.includes = std::move(includes);
    s.excludes = std::move(excludes);
    task_.setFileSets({s});
  }
  int run() {
    capture_.clear();
    return start(task_);
  }
  bool logged(const QString& text) const { return capture_.log().contains(text); }

  TaskDelete task_{9, nullptr};
};

TEST_F(TaskDeleteTest, AFileADirectoryAndTheAttemptLine) {
  ASSERT_TRUE(QFile::setPermissions(path("tree/a.cpp"), QFile::ReadOwner));
  task_.setFile(path("job/job.xml"));
  set("file", "../tree/a.cpp");
  set("dir", "../tree/sub");
  EXPECT_EQ(0, run());
  EXPECT_FALSE(exists("tree/a.cpp"));
  EXPECT_FALSE(exists("tree/sub"));
  EXPECT_TRUE(exists("tree/a.obj"));
  EXPECT_EQ("0", var("res"));
  ASSERT_FALSE(capture_.log().entries.empty());
  EXPECT_EQ("Try to delete files. \r\n"
            "    File: '" + path("tree/a.cpp") + "'.\r\n"
            "    Directory: '" + path("tree/sub") + "'.\r\n"
            "    Verbose: .\r\n"
            "    File sets: 0.\r\n"
            "    Task ID: 9",
            capture_.log().entries.front().text);
  EXPECT_TRUE(logged("File '" + path("tree/a.cpp") + "' was removed. Task ID: 9"));
  EXPECT_TRUE(logged("Directory '" + path("tree/sub") + "' was removed. Task ID: 9"));

  // Nothing there is no failure; a directory is no file; a file is no directory.
  set("file", "../tree/gone.txt");
  set("dir", "../tree/gone");
  EXPECT_EQ(0, run());
  set("dir", "../tree/a.obj");
  set("file", "");
  EXPECT_EQ(0, run());
  EXPECT_TRUE(exists("tree/a.obj"));
  set("dir", "");
  set("file", "../tree");
  EXPECT_EQ(323, run());
  EXPECT_TRUE(logged("Failed to remove the file '" + path("tree") + "'. Task ID: 9"));
  EXPECT_TRUE(exists("tree/a.obj"));

  set("file", "");
  EXPECT_EQ(0, run());
  EXPECT_TRUE(logged("No files to delete. ID: 9"));
}

TEST_F(TaskDeleteTest, LinksAreRemovedAsLinks) {
  QFile::link(path("outside"), path("tree/sub/dirlink"));
  QFile::link(path("outside/keep.obj"), path("tree/filelink.obj"));
  QFile::link(path("tree"), path("tree/sub/up"));  // a walk into it would never end
  QFile::link(path("outside"), path("toplink"));
  setSet(path("tree"), {{"*", {}, {}}});
  set("dir", path("toplink"));
  EXPECT_EQ(0, run());
  EXPECT_FALSE(exists("toplink"));
  EXPECT_TRUE(exists("outside/keep.obj"));
  EXPECT_FALSE(exists("tree/sub/dirlink"));
  EXPECT_FALSE(exists("tree/filelink.obj"));
  EXPECT_FALSE(exists("tree/sub/up"));
  EXPECT_TRUE(exists("tree/sub/deep"));
  EXPECT_TRUE(exists("tree/.hidden.obj"));  // hidden entries are not listed
  EXPECT_FALSE(exists("tree/sub/deep/c.h"));
}

TEST_F(TaskDeleteTest, FileSetsRemoveMatchingFilesAndKeepDirectories) {
  ASSERT_EQ(0, vars_.set("ext", "obj"));
  task_.setFile(path("job.xml"));
  setSet("tree", {{"*.${ext}", {}, {}}}, {"*/deep/*"});
  EXPECT_EQ(0, run());
  EXPECT_FALSE(exists("tree/a.obj"));
  EXPECT_FALSE(exists("tree/sub/b.OBJ"));
  EXPECT_TRUE(exists("tree/sub/deep/c.obj"));
  EXPECT_TRUE(exists("tree/a.cpp"));
  EXPECT_TRUE(exists("outside/keep.obj"));
  EXPECT_TRUE(logged("File '" + path("tree/sub/b.OBJ") + "' was removed. Task ID: 9"));

  set("verbose", "false");
  setSet("tree", {});  // no includes at all: every file
  EXPECT_EQ(0, run());
  EXPECT_FALSE(exists("tree/sub/deep/c.h"));
  EXPECT_TRUE(exists("tree/sub/deep"));
  for (const auto& entry : capture_.log().entries) EXPECT_NE(logger::LogTrace, entry.level);

  setSet("outside/keep.obj", {});
  EXPECT_EQ(321, run());
  EXPECT_TRUE(exists("outside/keep.obj")) << "a file named as a set's directory is left alone";
  setSet("tree/missing", {});
  EXPECT_EQ(0, run());
}

TEST_F(TaskDeleteTest, IncludesThatAllComeOutEmptyDeleteNothing) {
  task_.setFile(path("job.xml"));
  setSet("tree", {{"${unset.empty}", {}, {}}, {" ", {}, {}}});
  ASSERT_EQ(0, vars_.set("unset.empty", ""));
  EXPECT_EQ(0, run());
  EXPECT_TRUE(exists("tree/a.obj"));
  EXPECT_TRUE(exists("tree/sub/deep/c.h"));
  EXPECT_TRUE(logged("Every include pattern of the file set in '" + path("tree") +
                     "' is empty: nothing is deleted there. Task ID: 9"));
}

TEST_F(TaskDeleteTest, RefusesDirectoriesTheRunNeeds) {
  testing_support::ScopedEnv home("HOME", path("home").toLocal8Bit().constData());
  QDir().mkpath(path("home/user"));
  QDir().mkpath(path("job/sub"));
  QDir().mkpath(path("cwd/inner"));
  const QString savedCwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(path("cwd/inner")));
  task_.setFile(path("job/job.xml"));
  ASSERT_EQ(0, vars_.set("out", ""));
  const struct {
    const char* name;
    QString dir;
    QString shown;
    const char* place;
  } cases[] = {
      {"the root", "/", "/", "the file-system root"},
      // Whatever a broken guard tried there would fail harmlessly.
      {"an empty variable before a top-level name", "${out}/proc", "/proc", "a top-level directory of the system"},
      {"home", path("home"), path("home"), "the home directory"},
      {"the job file's directory", ".", path("job"), "the job file's directory"},
      {"an ancestor of the current directory", path("cwd"), path("cwd"), "the current directory"},
      {"the program's directory", QCoreApplication::applicationDirPath(), QCoreApplication::applicationDirPath(),
       "the program's directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    set("dir", c.dir);
    EXPECT_EQ(322, run());
    EXPECT_TRUE(logged("Refused to remove the directory '" + c.shown + "': it is or holds " + c.place +
                       ". Task ID: 9"))
        << capture_.log().texts().join("\n").toStdString();
  }
  QDir::setCurrent(savedCwd);
  EXPECT_TRUE(exists("home/user"));
  EXPECT_TRUE(exists("job/sub"));
  EXPECT_TRUE(exists("cwd/inner"));

  // Below them all is fine.
  set("dir", "sub");
  EXPECT_EQ(0, run());
  EXPECT_FALSE(exists("job/sub"));
}

}  // namespace
