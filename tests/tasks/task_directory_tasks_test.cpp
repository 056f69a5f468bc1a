#include "tasks/task_mkdir.h"
#include "tasks/task_rename.h"
#include "tasks/task_set_curr_dir.h"
#include "task_test_env.h"

#include <QDir>
#include <QFileInfo>

using task_test_env::readFile;
using task_test_env::writeFile;

namespace {

class DirectoryTasksTest : public task_test_env::TaskTest {
 protected:
  DirectoryTasksTest() : savedCwd_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~DirectoryTasksTest() override { QDir::setCurrent(savedCwd_); }

  int run(ITask& task, std::initializer_list<std::pair<const char*, QString>> attributes) {
    for (const auto& [key, value] : attributes) EXPECT_EQ(0, task.getPropertiesSetter()->setString(key, value));
    task.setResultVar("res");
    capture_.clear();
    return start(task);
  }
  bool exists(const QString& rel) const { return QFileInfo::exists(path(rel)); }
  bool logged(const QString& text) const { return capture_.log().contains(text); }

  QString savedCwd_;
};

TEST_F(DirectoryTasksTest, MkdirCreatesEveryMissingParentAgainstTheCurrentDirectory) {
  TaskMkdir mkdir(1, nullptr);
  mkdir.setFile(path("elsewhere/job.xml"));  // not the base of a relative path
  EXPECT_EQ(0, run(mkdir, {{"dir", " a/b/c "}}));
  EXPECT_TRUE(QFileInfo(path("a/b/c")).isDir());
  EXPECT_TRUE(logged("Directory 'a/b/c' was created successfully. Task ID: 1"));
  EXPECT_EQ(0, run(mkdir, {}));
  EXPECT_TRUE(logged("Directory 'a/b/c' already exists. Task ID: 1"));
  EXPECT_EQ(0, run(mkdir, {{"dir", ""}}));
  EXPECT_TRUE(logged("Directory to create not defined. Task ID: 1"));
  put("file");
  EXPECT_EQ(315, run(mkdir, {{"dir", "file/sub"}}));
  EXPECT_TRUE(logged("Failed to create directory 'file/sub'. Task ID: 1"));
  EXPECT_EQ("315", var("res"));
}

TEST_F(DirectoryTasksTest, SetCurrDirChangesTheBaseOfLaterRelativePaths) {
  QDir().mkpath(path("work"));
  TaskSetCurrDir setCurrDir(2, nullptr);
  EXPECT_EQ(0, run(setCurrDir, {{"dir", "work"}}));
  EXPECT_EQ(QDir(path("work")).canonicalPath(), QDir::current().canonicalPath());
  EXPECT_TRUE(logged("Current directory was changed to 'work'. Task ID: 2"));

  TaskMkdir mkdir(3, nullptr);
  EXPECT_EQ(0, run(mkdir, {{"dir", "made"}}));
  EXPECT_TRUE(exists("work/made"));

  EXPECT_EQ(321, run(setCurrDir, {{"dir", "missing"}}));
  const auto& entry = capture_.log().entries.back();
  EXPECT_EQ("Directory 'missing' not found. Task ID: 2", entry.text);
  EXPECT_EQ(logger::LogInfo, entry.level);
  EXPECT_EQ(0, run(setCurrDir, {{"dir", ""}}));
  EXPECT_TRUE(logged("Directory not defined. Task ID: 2"));
  EXPECT_EQ(QDir(path("work")).canonicalPath(), QDir::current().canonicalPath());
}

TEST_F(DirectoryTasksTest, RenameFiles) {
  TaskRename rename(4, nullptr);
  const struct {
    const char* name;
    QString src;
    QString newName;
    const char* from;
    const char* to;
  } cases[] = {
      {"a bare name stays in the source's directory", path("d/a.txt"), "b.txt", "d/a.txt", "d/b.txt"},
      {"a directory part moves it, relative to the current directory", "d/a.txt", "e/moved.txt", "d/a.txt",
       "e/moved.txt"},
      {"onto an existing file replaces it", path("d/a.txt"), path("d/old.txt"), "d/a.txt", "d/old.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(path("d")).removeRecursively();
    QDir(path("e")).removeRecursively();
    put("d/a.txt", "a");
    put("d/old.txt", "old");
    QDir().mkpath(path("e"));
    EXPECT_EQ(0, run(rename, {{"src", c.src}, {"newName", c.newName}}));
    EXPECT_FALSE(exists(c.from));
    EXPECT_EQ("a", readFile(path(c.to)));
  }
  put("d/a.txt", "a");
  EXPECT_EQ(0, run(rename, {{"src", path("d/a.txt")}, {"newName", "b.txt"}}));
  EXPECT_TRUE(logged("File '" + path("d/a.txt") + "' was renamed to '" + path("d/b.txt") + "'. Task ID: 4"));
}

TEST_F(DirectoryTasksTest, RenameOntoItselfDoesNothing) {
  put("d/a.txt", "a");
  QFile::link(path("d"), path("dlink"));
  TaskRename rename(5, nullptr);
  for (const QString& newName : {QString("a.txt"), path("d/./a.txt"), path("dlink/a.txt")}) {
    SCOPED_TRACE(newName.toStdString());
    EXPECT_EQ(0, run(rename, {{"src", path("d/a.txt")}, {"newName", newName}}));
    EXPECT_EQ("a", readFile(path("d/a.txt")));
  }
  QDir().mkpath(path("tree/sub"));
  EXPECT_EQ(0, run(rename, {{"src", path("tree/")}, {"newName", "tree"}}));
  EXPECT_TRUE(exists("tree/sub"));
}

TEST_F(DirectoryTasksTest, RenameDirectories) {
  TaskRename rename(6, nullptr);
  put("src/inner/f.txt", "f");
  put("target/old.txt", "old");
  EXPECT_EQ(0, run(rename, {{"src", path("src")}, {"newName", path("target")}}));
  EXPECT_EQ("f", readFile(path("target/inner/f.txt")));
  EXPECT_FALSE(exists("target/old.txt"));
  EXPECT_FALSE(exists("src"));
  EXPECT_EQ((QStringList{"target"}), QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden |
                                                                   QDir::NoDotAndDotDot).filter("target"));
  EXPECT_TRUE(logged("Directory '" + path("src") + "' was renamed to '" + path("target") + "'. Task ID: 6"));

  // Into itself, or over a directory that holds it: refused, nothing removed.
  put("target/inner/deeper/g.txt", "g");
  const struct {
    const char* name;
    QString src;
    QString newName;
  } refused[] = {
      {"target inside the source", path("target"), path("target/inner/deeper")},
      {"source inside the target", path("target/inner/deeper"), path("target/inner")},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(75, run(rename, {{"src", c.src}, {"newName", c.newName}}));
    EXPECT_TRUE(logged("Refused to rename directory '" + c.src + "' to '" + c.newName +
                       "': one holds the other! Task ID: 6"));
    EXPECT_EQ("f", readFile(path("target/inner/f.txt")));
    EXPECT_EQ("g", readFile(path("target/inner/deeper/g.txt")));
  }

  // A file onto a directory, a directory onto a file: the rename fails, nothing goes.
  put("plain.txt", "p");
  EXPECT_EQ(75, run(rename, {{"src", path("plain.txt")}, {"newName", path("target")}}));
  EXPECT_TRUE(logged("Failed to rename file '" + path("plain.txt") + "' to '" + path("target") + "'! Task ID: 6"));
  EXPECT_EQ(75, run(rename, {{"src", path("target")}, {"newName", path("plain.txt")}}));
  EXPECT_EQ("p", readFile(path("plain.txt")));
  EXPECT_EQ("f", readFile(path("target/inner/f.txt")));
}

TEST_F(DirectoryTasksTest, RenameFailures) {
  TaskRename rename(7, nullptr);
  EXPECT_EQ(71, run(rename, {{"src", ""}, {"newName", "x"}}));
  EXPECT_TRUE(logged("Source file or directory not defined! Task ID: 7"));
  EXPECT_EQ(72, run(rename, {{"src", "missing"}}));
  EXPECT_TRUE(logged("File or directory 'missing' not found. Task ID: 7"));
  put("a.txt");
  EXPECT_EQ(71, run(rename, {{"src", "a.txt"}, {"newName", " "}}));
  EXPECT_TRUE(logged("New file (or directory) name not defined! Task ID: 7"));
  EXPECT_EQ("Try to rename the file (or directory). \r\n"
            "    Source file or directory: 'a.txt'.\r\n"
            "    New name: ''.\r\n"
            "    Task ID: 7",
            capture_.log().entries.front().text);

  // A directory the run needs is never replaced.
  QDir().mkpath(path("cwd/inner"));
  QDir().mkpath(path("other"));
  ASSERT_TRUE(QDir::setCurrent(path("cwd/inner")));
  EXPECT_EQ(75, run(rename, {{"src", path("other")}, {"newName", path("cwd")}}));
  EXPECT_TRUE(logged("Refused to rename directory '" + path("other") + "' to '" + path("cwd") +
                     "': the target is or holds the current directory! Task ID: 7"));
  EXPECT_TRUE(exists("cwd/inner"));
}

}  // namespace
