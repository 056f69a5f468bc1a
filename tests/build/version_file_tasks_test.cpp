#include "build/task_set_project_version.h"
#include "build/task_version_file_read.h"
#include "build/task_version_file_write.h"
#include "core/version_utils.h"
#include "tasks/task_test_env.h"
#include "project/fake_projects.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using task_test_env::readFile;
using task_test_env::writeFile;
using project_testing::FakeProjects;

const QByteArray kHeader = "#define INTVER 1,0\n#define STRVER \"1,0\\0\"\n";
const QByteArray kNet = "[assembly: AssemblyVersion(\"3.0\")]\n[assembly: AssemblyFileVersion(\"3.1\")]\n";

QByteArray header(const QString& version) {
  return "#pragma once\n#define INTVER " + version.toUtf8() + "\n#define STRVER \"" + version.toUtf8() + "\\0\"\n";
}

QByteArray net(const QString& version) {
  return "[assembly: AssemblyVersion(\"" + version.toUtf8() + "\")]\n[assembly: AssemblyFileVersion(\"" +
         version.toUtf8() + "\")]\n";
}

// A task that fails: its file, its code and its last log line.
struct FailureCase {
  const char* name;
  QString file;
  int code;
  QString line;
};

class VersionFileTaskTest : public task_test_env::TaskTest {
 protected:
  template <typename Task>
  int run(Task& task, std::initializer_list<std::pair<const char*, QString>> attributes) {
    for (const auto& [key, value] : attributes) EXPECT_EQ(0, task.getPropertiesSetter()->setString(key, value));
    task.setResultVar("rv");
    return start(task);
  }
  const QString stamp_ = dateStamp(programStartTime());
};

TEST_F(VersionFileTaskTest, ReadChoosesTheParserByTheSuffix) {
  const struct {
    const char* file;
    QByteArray content;
    const char* value;
  } cases[] = {
      {"version.h", kHeader, "1,0"},
      {"Info.CS", kNet, "3.0"},         // the assembly version, not the file version
      {"App.csproj", kNet, "3.0"},      // any suffix holding "cs"
      {"notes.txt", "// nothing\n", ""},  // no version is no failure
  };
  for (const auto& c : cases) {
    writeFile(path(c.file), c.content);
    EXPECT_EQ(0, vars_.set("file", path(c.file)));
    TaskVersionFileRead task(7, nullptr);
    EXPECT_EQ(0, run(task, {{"file", " ${file} "}, {"valuevar", "got"}})) << c.file;
    EXPECT_EQ(c.value, var("got")) << c.file;
    EXPECT_EQ("0", var("rv"));
  }

  // An empty variable name stores nothing, and the task still succeeds.
  EXPECT_EQ(0, vars_.remove("got"));
  TaskVersionFileRead task(8, nullptr);
  EXPECT_EQ(0, run(task, {{"file", path("version.h")}, {"valuevar", "${none}"}}));
  EXPECT_EQ("<unset>", var("got"));
}

TEST_F(VersionFileTaskTest, ReadFailures) {
  QDir().mkdir(path("dir.h"));
  const FailureCase cases[] = {
      {"no file", "", 71, "File not defined! Task ID: 7"},
      {"missing", path("missing.h"), 72, "File '" + path("missing.h") + "' not found. Task ID: 7"},
      {"directory", path("dir.h"), 20,
       "Failed to read version from file '" + path("dir.h") + "'. Error: 20. Task ID: 7"},
  };
  for (const auto& c : cases) {
    capture_.clear();
    TaskVersionFileRead task(7, nullptr);
    EXPECT_EQ(c.code, run(task, {{"file", c.file}, {"valuevar", "got"}})) << c.name;
    EXPECT_EQ(QString::number(c.code), var("rv")) << c.name;
    EXPECT_EQ(c.line, capture_.log().texts().last()) << c.name;
    EXPECT_EQ("VersionFileRead", capture_.log().entries.back().tag);
    EXPECT_EQ("<unset>", var("got"));
    TaskVersionFileRead quiet(7, nullptr);
    quiet.setFailOnError("false");
    EXPECT_EQ(0, run(quiet, {{"file", c.file}})) << c.name;
  }
}

TEST_F(VersionFileTaskTest, WriteStampsOnlyWhenAsked) {
  const struct {
    const char* file;
    QByteArray content;
    const char* autoStamp;
    const char* version;
    QByteArray expected;
  } cases[] = {
      {"version.h", kHeader, nullptr, "1.2", header("1.2")},  // separators unchanged
      {"version.h", kHeader, "no", "1.2.3.4", header("1.2.3.4")},
      {"version.h", kHeader, "Yes", "2,5,1,77", header("2,5,1," + stamp_)},
      {"Info.cs", kNet, "", "1,2", net("1,2")},
      {"Info.cs", kNet, "true", "4.1", net("4.1." + stamp_)},
  };
  for (const auto& c : cases) {
    writeFile(path(c.file), c.content);
    TaskVersionFileWrite task(9, nullptr);
    if (c.autoStamp) {
      EXPECT_EQ(0, task.getPropertiesSetter()->setString("autoStamp", c.autoStamp));
    }
    EXPECT_EQ(0, run(task, {{"file", path(c.file)}, {"version", c.version}})) << c.version;
    EXPECT_EQ(c.expected, readFile(path(c.file))) << c.version;
  }
  EXPECT_TRUE(capture_.log().contains("Try to update version. \r\n    File: '" + path("Info.cs") +
                                      "'.\r\n    Version: '4.1'.\r\n    Auto stamp: 'true'.\r\n    Task ID: 9"));
  EXPECT_TRUE(capture_.log().contains("Version has been modified from '4.1' to '4.1." + stamp_ + "'. Task ID: 9"));
}

TEST_F(VersionFileTaskTest, WriteFailuresLeaveTheFileAsItWas) {
  QDir().mkdir(path("dir.cs"));
  writeFile(path("version.h"), kHeader);
  const FailureCase cases[] = {
      {"no file", "", 71, "File not defined! Task ID: 9"},
      {"missing", path("missing.h"), 72, "File '" + path("missing.h") + "' not found. Task ID: 9"},
      {"header not replaceable", "/proc/version", 20,
       "[start] Failed to update version in the file '/proc/version'. Error: 20. Task ID: 9"},
      {".NET not readable", path("dir.cs"), 20,
       "Failed to update version in the file '" + path("dir.cs") + "'. Error: 20. Task ID: 9"},
  };
  for (const auto& c : cases) {
    capture_.clear();
    TaskVersionFileWrite task(9, nullptr);
    EXPECT_EQ(c.code, run(task, {{"file", c.file}, {"version", "5"}, {"autoStamp", "yes"}})) << c.name;
    EXPECT_EQ(QString::number(c.code), var("rv"));
    EXPECT_EQ(c.line, capture_.log().texts().last()) << c.name;
  }
  EXPECT_EQ(kHeader, readFile(path("version.h")));
  EXPECT_EQ((QStringList{"dir.cs", "version.h"}),
            QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A project defined in rules/varkel.xml with a header and a .NET version file.
class SetProjectVersionTest : public VersionFileTaskTest {
 protected:
  SetProjectVersionTest() {
    QDir().mkpath(path("rules/net"));
    writeFile(path("rules/version.h"), kHeader);
    writeFile(path("rules/net/AssemblyInfo.cs"), kNet);
    app_ = projects_.add("App");
    app_->setDefFile(path("rules/varkel.xml"));
    (void)app_->addVersionFile({"version.h", "release"});        // first
    (void)app_->addVersionFile({"net\\AssemblyInfo.cs", "NET"});  // backslashes too
    (void)app_->addVersionFile({"gone.h", "gone"});
    projects_.add("bare");
  }

  int set(std::initializer_list<std::pair<const char*, QString>> attributes) {
    TaskSetProjectVersion task(11, nullptr);
    task.setProjectsProvider(&projects_);
    return run(task, attributes);
  }

  FakeProjects projects_;
  ProjectBuild* app_;
};

TEST_F(SetProjectVersionTest, WritesEachFileWithItsOwnSeparator) {
  const struct {
    const char* versionId;
    const char* version;
    const char* autoStamp;
    const char* file;
    QByteArray expected;
  } cases[] = {
      {"release", "1.2.3.4", "no", "rules/version.h", header("1,2,3,4")},
      {"net", "1,2,3,4", "false", "rules/net/AssemblyInfo.cs", net("1.2.3.4")},
      {"Release", "1.2,3", "0", "rules/version.h", header("1.2,3")},
      {"NET", "1.2,3", "no", "rules/net/AssemblyInfo.cs", net("1.2,3")},
      {"", "7.1", "no", "rules/version.h", header("7,1")},  // the first file
      {"release", "2.5.1.77", "", "rules/version.h", header("2,5,1," + stamp_)},
      {"net", "3,1", "maybe", "rules/net/AssemblyInfo.cs", net("3.1." + stamp_)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, vars_.set("p", "app"));
    EXPECT_EQ(0, set({{"projectName", "${p}"}, {"versionId", c.versionId}, {"version", c.version},
                      {"autoStamp", c.autoStamp}}))
        << c.version;
    EXPECT_EQ(c.expected, readFile(path(c.file))) << c.version;
    EXPECT_EQ(0, vars_.remove("p"));
  }
}

TEST_F(SetProjectVersionTest, VersionFromTheProjectsVariable) {
  EXPECT_EQ(0, vars_.set("APP.release.VERSION", " ${major}.1 "));
  EXPECT_EQ(0, vars_.set("major", "3"));
  ASSERT_EQ(0, set({{"projectName", "app"}, {"versionId", "release"}}));
  EXPECT_EQ(header("3,1," + stamp_), readFile(path("rules/version.h")));
  const QString file = QDir::cleanPath(path("rules/version.h"));
  EXPECT_EQ(QStringList({
                "Try to set version. \r\n    Project name: 'app'.\r\n    Version ID: 'release'.\r\n"
                "    Version: ''.\r\n    Auto stamp: ''.\r\n    Task ID: 11",
                "Version not defined. Try to find the version number from global variables by name "
                "'app.release.version'. Project: 'app'. Task ID: 11",
                "Version from the list of variables: '3.1' was received. Project: 'app'. Task ID: 11",
                "Version was changed. File: '" + file + "'. Version: '3.1." + stamp_ +
                    "'. Project: 'app'. Task ID: 11",
            }),
            capture_.log().texts());

  EXPECT_EQ(0, vars_.set("app.version", "9.9"));
  ASSERT_EQ(0, set({{"projectName", "app"}, {"autoStamp", "no"}}));
  EXPECT_EQ(header("9,9"), readFile(path("rules/version.h")));
}

TEST_F(SetProjectVersionTest, FailuresWriteNothing) {
  QDir().mkdir(path("rules/dir.h"));
  ProjectBuild* dirs = projects_.add("dirs");
  dirs->setDefFile(path("rules/varkel.xml"));
  (void)dirs->addVersionFile({"dir.h", ""});
  const QString tail = ". Project: 'app'. Task ID: 11";
  const struct {
    const char* name;
    const char* project;
    const char* versionId;
    const char* version;
    int code;
    QString line;
  } cases[] = {
      {"no project name", " ", "", "1", 304, "Project name not defined! Task ID: 11"},
      {"unknown project", "nope", "", "1", 400, "Project with name 'nope' not found. Task ID: 11"},
      {"no version", "app", "release", "", 335, "Version not defined! Task ID: 11"},
      {"no version files", "bare", "", "1", 339,
       "Version file not defined. Error: 339. Version ID: ''. Project: 'bare'. Task ID: 11"},
      {"no such id", "app", "debug", "1", 72,
       "Version file not found. File: ''. Error: 72. Version ID: 'debug'" + tail},
      {"file gone", "app", "gone", "1", 72,
       "Version file not found. File: '" + QDir::cleanPath(path("rules/gone.h")) +
           "'. Error: 72. Version ID: 'gone'" + tail},
      {"not a file", "dirs", "", "1", 20,
       "Failed to update version. File: '" + QDir::cleanPath(path("rules/dir.h")) +
           "'. Version: '1'. Error: 20. Project: 'dirs'. Task ID: 11"},
  };
  for (const auto& c : cases) {
    capture_.clear();
    EXPECT_EQ(c.code, set({{"projectName", c.project}, {"versionId", c.versionId}, {"version", c.version},
                           {"autoStamp", "no"}}))
        << c.name;
    EXPECT_EQ(QString::number(c.code), var("rv")) << c.name;
    EXPECT_EQ(c.line, capture_.log().texts().last()) << c.name;
  }
  EXPECT_EQ(kHeader, readFile(path("rules/version.h")));
  EXPECT_EQ(kNet, readFile(path("rules/net/AssemblyInfo.cs")));

  capture_.clear();
  EXPECT_EQ(335, set({{"projectName", "app"}, {"versionId", "release"}}));
  EXPECT_TRUE(capture_.log().contains("Version number is not found (variable name: 'app.release.version'). "
                                      "Project: 'app'. Task ID: 11"));
}

TEST_F(SetProjectVersionTest, SelectsTheVersionFileOfAnId) {
  QString file = "old";
  EXPECT_EQ(3, TaskSetProjectVersion::selectVersionFile(nullptr, "", nullptr, file));
  EXPECT_EQ(339, TaskSetProjectVersion::selectVersionFile(projects_.getProject("bare"), "", nullptr, file));
  ASSERT_EQ(0, TaskSetProjectVersion::selectVersionFile(app_, "net", nullptr, file));
  EXPECT_EQ(QDir::cleanPath(path("rules/net/AssemblyInfo.cs")), file);
  ASSERT_EQ(0, TaskSetProjectVersion::selectVersionFile(app_, "none", nullptr, file));
  EXPECT_EQ("", file);
  TaskSetProjectVersion task(1, nullptr);
  EXPECT_FALSE(task.isDependsFromOtherProjects(nullptr, nullptr));
  EXPECT_TRUE(task.isProjectTask());
}

}  // namespace
