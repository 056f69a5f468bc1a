#include "tasks/task_copy_files.h"
#include "tasks/task_move.h"
#include "task_test_env.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

using task_test_env::readFile;
using task_test_env::writeFile;

namespace {

class TaskCopyFilesTest : public task_test_env::TaskTest {
 protected:
  TaskCopyFilesTest() { task_.setResultVar("res"); }

  void set(const char* key, const QString& value) { ASSERT_EQ(0, task_.getPropertiesSetter()->setString(key, value)); }
  // Every file below rel, as relative paths in sorted order; links marked with "@".
  QStringList tree(const QString& rel) {
    QStringList out;
    const QString base = path(rel);
    std::function<void(const QString&)> walk = [&](const QString& dir) {
      for (const QFileInfo& info :
           QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                   QDir::Name | QDir::IgnoreCase)) {
        const QString name = info.filePath().mid(base.size() + 1);
        if (info.isSymLink()) {
          out << name + "@";
        } else if (info.isDir()) {
          out << name + "/";
          walk(info.filePath());
        } else {
          out << name;
        }
      }
    };
    walk(base);
    return out;
  }
  int run() {
    capture_.clear();
    return start(task_);
  }
  bool logged(const QString& text) const { return capture_.log().contains(text); }

  TaskCopyFiles task_{7, nullptr};
};

TEST_F(TaskCopyFilesTest, RelativePathsAreTakenAgainstTheJobFileAndTheAttemptIsLogged) {
  put("jobs/src/a.txt", "a");
  task_.setFile(path("jobs/job.xml"));
  ASSERT_EQ(0, vars_.set("out", "out"));
  set("file", " src/./a.txt ");
  set("toDir", "${out}/deep");
  set("overwrite", "No");
  set("force", "whatever");
  EXPECT_EQ(0, run());
  EXPECT_EQ("a", readFile(path("jobs/out/deep/a.txt")));
  EXPECT_EQ("0", var("res"));
  ASSERT_FALSE(capture_.log().entries.empty());
  const auto& first = capture_.log().entries.front();
  EXPECT_EQ("CopyFiles", first.tag);
  EXPECT_EQ("Try to copy files. \r\n"
            "    File: '" + path("jobs/src/a.txt") + "'.\r\n"
            "    To file: ''.\r\n"
            "    To directory: '" + path("jobs/out/deep") + "'.\r\n"
            "    Overwrite: No.\r\n"
            "    Force: whatever.\r\n"
            "    Verbose: .\r\n"
            "    File sets: 0.\r\n"
            "    Task ID: 7",
            first.text);
  EXPECT_TRUE(logged("File '" + path("jobs/src/a.txt") + "' was copied to '" + path("jobs/out/deep/a.txt") +
                     "'. Task ID: 7"));
  EXPECT_EQ("TaskCopyFiles", capture_.log().entries.back().tag);
}

TEST_F(TaskCopyFilesTest, OneFileToAFileAndIntoADirectory) {
  put("a.txt", "new");
  const struct {
    const char* name;
    QString toFile;
    QString toDir;
    QString overwrite;
    int code;
    QStringList out;
    const char* old;
  } cases[] = {
      {"to a file whose directory is missing", path("out/x/b.txt"), "", "", 0, {"x/", "x/b.txt"}, "old"},
      {"to both, the directory first", path("out/b.txt"), path("out/d"), "", 0, {"b.txt", "d/", "d/a.txt"}, "old"},
      {"overwrite off leaves an existing target", path("out/old.txt"), "", "no", 0, {}, "old"},
      {"overwrite on replaces it", path("out/old.txt"), "", "", 0, {}, "new"},
      {"no destination", "", "", "", 319, {}, "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(path("out")).removeRecursively();
    put("out/old.txt", "old");
    set("file", path("a.txt"));
    set("toFile", c.toFile);
    set("toDir", c.toDir);
    set("overwrite", c.overwrite);
    EXPECT_EQ(c.code, run());
    EXPECT_EQ(QString::number(c.code), var("res"));
    QStringList expected = c.out;
    if (!expected.contains("old.txt")) expected << "old.txt";
    expected.sort();
    EXPECT_EQ(expected, tree("out"));
    EXPECT_EQ(c.old, readFile(path("out/old.txt")));
  }
  EXPECT_TRUE(logged("Destination file and directory not defined! ID: 7"));
}

TEST_F(TaskCopyFilesTest, ACopyOntoTheVeryFileDoesNothing) {
  put("dir/a.txt", "keep");
  QFile::link(path("dir/a.txt"), path("link.txt"));
  QFile::link(path("dir"), path("dirlink"));
  const struct {
    const char* name;
    QString file;
    QString toFile;
    QString toDir;
  } cases[] = {
      {"toFile equal to file", path("dir/a.txt"), path("dir/a.txt"), ""},
      {"another spelling", path("dir/a.txt"), path("dir/../dir/./a.txt"), ""},
      {"into its own directory", path("dir/a.txt"), "", path("dir")},
      {"through a linked directory", path("dir/a.txt"), "", path("dirlink")},
      {"onto a link to it", path("dir/a.txt"), path("link.txt"), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    set("file", c.file);
    set("toFile", c.toFile);
    set("toDir", c.toDir);
    EXPECT_EQ(0, run());
    EXPECT_EQ("keep", readFile(path("dir/a.txt")));
    EXPECT_FALSE(capture_.log().containsPart("was copied"));
  }
  EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
}

TEST_F(TaskCopyFilesTest, FailuresOfASingleFile) {
  put("a.txt");
  put("blocker");
  const struct {
    const char* name;
    QString file;
    QString toFile;
    QString toDir;
    int code;
    QString message;
  } cases[] = {
      {"missing file", path("missing.txt"), "", path("out"), 72,
       "File '" + path("missing.txt") + "' to copy not found. Task ID: 7"},
      {"a directory is no file", path("out"), path("x"), "", 72, "File '" + path("out") + "' to copy not found. Task ID: 7"},
      {"directory cannot be made", path("a.txt"), "", path("blocker/sub"), 321,
       "Directory '" + path("blocker/sub") + "' to copy not found. Task ID: 7"},
      {"target is a directory", path("a.txt"), path("out"), "", 74,
       "Failed to copy file '" + path("a.txt") + "' to '" + path("out") + "'. Task ID: 7"},
  };
  QDir().mkpath(path("out/inner"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    set("file", c.file);
    set("toFile", c.toFile);
    set("toDir", c.toDir);
    EXPECT_EQ(c.code, run());
    EXPECT_TRUE(logged(c.message)) << capture_.log().texts().join("\n").toStdString();
  }
  EXPECT_EQ((QStringList{"inner/"}), tree("out"));

  // Without fail-on-error the code only reaches the result variable.
  task_.setFailOnError("false");
  EXPECT_EQ(0, run());
  EXPECT_EQ("74", var("res"));

  set("file", "");
  set("toFile", "");
  EXPECT_EQ(0, run());
  EXPECT_TRUE(logged("No files to copy. ID: 7"));
}

// A stop that comes before or while one file is copied leaves the target as it was.
TEST_F(TaskCopyFilesTest, AStopEndsTheCopyOfOneFile) {
  put("a.txt", "new");
  put("out/a.txt", "old");
  set("file", path("a.txt"));
  set("toDir", path("out"));
  task_.interrupt();
  EXPECT_EQ(30, run());
  EXPECT_TRUE(logged("Copying was interrupted. Error: 30. Task ID: 7"));
  EXPECT_EQ("old", readFile(path("out/a.txt")));
  EXPECT_EQ(QStringList{"a.txt"}, tree("out"));
}

class TaskCopyFileSetsTest : public TaskCopyFilesTest {
 protected:
  TaskCopyFileSetsTest() {
    for (const char* file : {"src/app.DLL", "src/readme.txt", "src/.hidden.dll", "src/lib/core.dll",
                             "src/lib/debug/cored.dll", "src/Debug/x.dll", "src/docs/manual.txt"})
      put(file, file);
    task_.setFile(path("job.xml"));
    set("toDir", "out");
  }
  void setSets(std::vector<FileSetInfo> sets) { task_.setFileSets(sets); }
  static FileSetInfo set(const QString& dir, std::vector<FileSetInclude> includes, QStringList excludes) {
    FileSetInfo s;
    s.dir = dir;
    s.includes = std::move(includes);
    s.excludes = std::move(excludes);
    return s;
  }
  using TaskCopyFilesTest::set;
};

TEST_F(TaskCopyFileSetsTest, IncludesAndExcludesMatchTheWholePathIgnoringCase) {
  ASSERT_EQ(0, vars_.set("ext", "dll"));
  setSets({set("src", {{"*.${ext}", {}, "sub"}, {" ", {}, {}}}, {"*/debug/*", " "})});
  EXPECT_EQ(0, run());
  // Directories exist only where a file was copied; hidden files are not listed.
  EXPECT_EQ((QStringList{"app.DLL", "lib/", "lib/core.dll"}), tree("out"));
  EXPECT_TRUE(logged("Includes: '*.dll (sub)'. Excludes: '*/debug/*'. Task ID: 7"));
  EXPECT_TRUE(logged("File '" + path("src/Debug/x.dll") + "' was excluded. Task ID: 7"));
  EXPECT_TRUE(logged("File '" + path("src/readme.txt") + "' not included. Task ID: 7"));

  // "a.dll" alone is a whole path and never matches.
  QDir(path("out")).removeRecursively();
  setSets({set("src", {{"core.dll", {}, {}}}, {})});
  EXPECT_EQ(0, run());
  EXPECT_FALSE(QFileInfo::exists(path("out")));

  // A set without includes takes every file; files are copied in name order.
  setSets({set("src/lib", {}, {})});
  EXPECT_EQ(0, run());
  EXPECT_EQ((QStringList{"core.dll", "debug/", "debug/cored.dll"}), tree("out"));
  const QStringList texts = capture_.log().texts();
  EXPECT_LT(texts.indexOf("File '" + path("src/lib/core.dll") + "' was copied to '" + path("out/core.dll") +
                          "'. Task ID: 7"),
            texts.indexOf("File '" + path("src/lib/debug/cored.dll") + "' was copied to '" +
                          path("out/debug/cored.dll") + "'. Task ID: 7"));
}

TEST_F(TaskCopyFileSetsTest, OverwriteVerboseAndMissingSets) {
  put("out/core.dll", "old");
  setSets({set("src/lib", {{"*core.dll", {}, {}}}, {})});
  set("overwrite", "false");
  set("verbose", "no");
  EXPECT_EQ(0, run());
  EXPECT_EQ("old", readFile(path("out/core.dll")));
  EXPECT_EQ((QStringList{"core.dll"}), tree("out"));
  // The warning stays; the trace lines go with "verbose".
  EXPECT_TRUE(logged("File '" + path("out/core.dll") + "' already exists. Task ID: 7"));
  for (const auto& entry : capture_.log().entries) EXPECT_NE(logger::LogTrace, entry.level);

  set("overwrite", "");
  EXPECT_EQ(0, run());
  EXPECT_EQ("src/lib/core.dll", readFile(path("out/core.dll")));

  // A set whose directory is missing or a file ends the copy with 321.
  for (const char* dir : {"nowhere", "src/app.DLL"}) {
    setSets({set(dir, {}, {})});
    EXPECT_EQ(321, run()) << dir;
  }
  // Without "toDir" the sets are not copied.
  setSets({set("src", {}, {})});
  set("toDir", "");
  set("toFile", "one.txt");
  set("file", "src/readme.txt");
  EXPECT_EQ(0, run());
  EXPECT_EQ((QStringList{"core.dll"}), tree("out"));
  EXPECT_EQ("src/readme.txt", readFile(path("one.txt")));
}

TEST_F(TaskCopyFileSetsTest, WalksCopyLinksAsLinksAndSkipTheTargetTree) {
  QFile::link(path("src"), path("src/lib/up"));          // a link to an ancestor
  QFile::link(path("src/readme.txt"), path("src/docs/readme-link.txt"));
  setSets({set("src", {}, {})});
  set("toDir", "src/copy");  // inside the set's directory
  EXPECT_EQ(0, run());
  EXPECT_EQ((QStringList{"app.DLL", "Debug/", "Debug/x.dll", "docs/", "docs/manual.txt", "docs/readme-link.txt@",
                         "lib/", "lib/core.dll", "lib/debug/", "lib/debug/cored.dll", "lib/up@", "readme.txt"}),
            tree("src/copy"));
  EXPECT_EQ(path("src"), QFile::symLinkTarget(path("src/copy/lib/up")));

  // Run again: the copy now lies inside the walk and is skipped.
  EXPECT_EQ(0, run());
  EXPECT_TRUE(logged("Directory '" + path("src/copy") + "' is the target of the copy and is skipped. Task ID: 7"));
  EXPECT_FALSE(QFileInfo::exists(path("src/copy/copy")));
}

TEST_F(TaskCopyFileSetsTest, AFailedCopyEndsTheWalkAndKeepsWhatIsThere) {
  QDir().mkpath(path("out/lib/core.dll/inside"));  // a directory where a file goes
  put("out/readme.txt", "old");
  setSets({set("src", {}, {})});
  EXPECT_EQ(74, run());
  EXPECT_TRUE(logged("Failed to copy file '" + path("src/lib/core.dll") + "' to '" + path("out/lib/core.dll") +
                     "'. Task ID: 7"));
  // Copied before the failure: app.DLL and the Debug and docs trees; readme.txt comes after.
  EXPECT_EQ((QStringList{"app.DLL", "Debug/", "Debug/x.dll", "docs/", "docs/manual.txt", "lib/",
                         "lib/core.dll/", "lib/core.dll/inside/", "readme.txt"}),
            tree("out"));
  EXPECT_EQ("old", readFile(path("out/readme.txt")));
}

TEST(TaskMoveTest, DoesNothing) {
  QTemporaryDir dir;
  writeFile(dir.filePath("a.txt"), "a");
  TaskMove move(3, nullptr);
  ASSERT_EQ(0, move.getPropertiesSetter()->setString("file", dir.filePath("a.txt")));
  ASSERT_EQ(0, move.getPropertiesSetter()->setString("toDir", dir.filePath("out")));
  move.setResultVar("res");
  VariablesMgr vars;
  EXPECT_EQ(0, move.start(nullptr, &vars, &vars, nullptr, nullptr));
  EXPECT_FALSE(vars.exists("res"));
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("a.txt")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
  EXPECT_EQ("Move", move.getName());
  EXPECT_EQ(306, move.getType());
}

}  // namespace
