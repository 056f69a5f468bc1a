#include "build/task_build.h"
#include "build/task_build_qmake.h"

#include "project/fake_projects.h"
#include "tasks/task_test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using task_test_env::readFile;
using task_test_env::writeFile;

// The project "app" (src/app.pro, build rules src/varkel.xml) with a fake qmake named by
// "linux.qmake.path" and a fake make first on PATH. Each tool appends what it was given
// to <tool>.log: "run", its directory, its arguments and two variables of its
// environment; then it does what the test asks.
class TaskBuildQmakeTest : public task_test_env::TaskTest {
 protected:
  TaskBuildQmakeTest()
      : pathEnv_("PATH", QFile::encodeName(path("bin") + ":" + qEnvironmentVariable("PATH")).constData()) {
    project_ = projects_.add<ProjectBuild>("app");
    project_->setBuildType(BuildToolQmake);
    project_->setDefFile(path("src/varkel.xml"));
    project_->setSolutionDir(path("src"));
    project_->setProjectFile("app.pro");
    writeFile(path("src/app.pro"), "");
    qmake("echo qmake output");
    make("echo make output");
    EXPECT_EQ(0, vars_.set("linux.qmake.path", path("tools/qmake")));
  }

  void tool(const QString& file, const QString& log, const QByteArray& body) {
    script(file, "{ echo run; echo \"dir=$(pwd)\"; for a in \"$@\"; do echo \"arg=$a\"; done; "
                 "echo \"FOO=$FOO\"; echo \"HOME=$HOME\"; } >> '" +
                     QFile::encodeName(path(log)) + "'\n" + body);
  }
  void qmake(const QByteArray& body) { tool("tools/qmake", "qmake.log", body); }
  void make(const QByteArray& body) { tool("bin/make", "make.log", body); }
  QStringList logOf(const QString& name) {
    const QByteArray text = readFile(path(name));
    return text == "<missing>" ? QStringList() : QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
  }
  int runs(const QString& name) { return logOf(name).count("run"); }

  // A build task as the element parser and the driver leave it.
  std::unique_ptr<TaskBuild> task(const QString& output, const QString& buildDir) {
    auto t = std::make_unique<TaskBuild>(7, nullptr);
    t->setProjectsProvider(&projects_);
    IPropertiesSetter* p = t->getPropertiesSetter();
    for (const char* key : {"configuration", "target", "platform", "platformToolset", "skipBuild", "extraparam"})
      EXPECT_EQ(0, p->setString(key, ""));
    EXPECT_EQ(0, p->setString("projectName", "app"));
    EXPECT_EQ(0, p->setString("currentProjectName", "app"));
    EXPECT_EQ(0, p->setString("projectFile", "app.pro"));
    EXPECT_EQ(0, p->setString("rootdir", path("src")));
    EXPECT_EQ(0, p->setString("output", output));
    EXPECT_EQ(0, p->setString("outputbuilddir", buildDir));
    EXPECT_EQ(0, p->setString("resultvar", "built"));
    t->setResultVar("built");
    return t;
  }
  int run(TaskBuild& t) {
    const int code = t.preStart(&expander_, &vars_, &vars_, nullptr, nullptr);
    return code != 0 ? code : start(t);
  }
  std::vector<QString> state(const char* list) {
    std::vector<QString> keys;
    (void)project_->getProperties()->getStringList(list, keys);  // missing-is-empty
    return keys;
  }

  testing_support::ScopedEnv pathEnv_;
  project_testing::FakeProjects projects_;
  ProjectBuild* project_;
};

TEST_F(TaskBuildQmakeTest, RunsQmakeThenMakeInTheBuildDirectoryWithTheProgramsEnvironment) {
  auto t = task(path("out"), path("build"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("extraparam", " CONFIG+=debug "));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("configuration", "${conf}"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("platform", "x64"));
  EXPECT_EQ(0, vars_.set("linux.qmake.path.x64", path("tools/qmake")));
  t->setEnvironment({{"FOO", "${conf}-bar"}});
  EXPECT_EQ(0, vars_.set("conf", "release"));

  ASSERT_EQ(0, run(*t));
  EXPECT_EQ(QStringList({"run", "dir=" + path("build"), "arg=CONFIG+=debug", "arg=" + path("src/app.pro"),
                         "FOO=release-bar", "HOME=" + qEnvironmentVariable("HOME")}),
            logOf("qmake.log"))
      << "extraparam is one argument; the project file is absolute; the task's entries are added to the "
         "program's own environment";
  EXPECT_EQ(QStringList({"run", "dir=" + path("build"), "FOO=release-bar", "HOME=" + qEnvironmentVariable("HOME")}),
            logOf("make.log"));
  EXPECT_EQ("0", var("built"));
  EXPECT_EQ("release", var("internal.current.build.configuration"));
  EXPECT_EQ("", var("internal.current.build.target"));
  EXPECT_EQ("x64", var("internal.current.build.platform"));
  EXPECT_EQ(std::vector<QString>{"{configuration:release;platform:x64;toolset:;qmake}"}, state("built"));
  EXPECT_EQ(std::vector<QString>{"{configuration:release;platform:x64;toolset:;qmake}" + path("out")},
            state("resultoutputs"));
  EXPECT_TRUE(capture_.log().contains("Task ID: 7. Try to run: \"" + path("tools/qmake") + "\" CONFIG+=debug " +
                                      path("src/app.pro") + " "));
  EXPECT_TRUE(capture_.log().contains("Task ID: 7. Environment variables: FOO=release-bar"));
  EXPECT_TRUE(capture_.log().containsPart("Try to build the project\r\n    Parent task IDs: ''.\r\n"));
}

TEST_F(TaskBuildQmakeTest, ToolOutputGoesToTheLogBetweenBannersAndSilenceGetsNone) {
  qmake("");
  make("printf 'make \\303'; sleep 1; printf '\\244 done\\n'");
  ASSERT_EQ(0, run(*task(path("out"), path("build"))));
  const QString dashes(20, '-');
  EXPECT_EQ("\r\n" + dashes + " START. Task ID: 7. Run make " + dashes + "\r\nmake \u00e4 done\n\r\n" + dashes +
                " END. Task ID: 7. Run make " + dashes + "\r\n",
            capture_.log().raw.join("").remove("\r\n" + dashes + " END. Task ID: 7. Run make " + dashes +
                                               "\r\n\r\n" + dashes + " START. Task ID: 7. Run make " + dashes +
                                               "\r\n"))
      << "the character split between two writes stays whole, and qmake's silence has no banner";
}

TEST_F(TaskBuildQmakeTest, EveryPieceOfALongOutputIsLoggedOnceBetweenBanners) {
  qmake("");
  // A pause longer than one step of the pump in the middle.
  make("seq 1 100000; sleep 0.7; seq 100001 150000");
  ASSERT_EQ(0, run(*task(path("out"), path("build"))));
  QString expected;
  for (int i = 1; i <= 150000; ++i) expected += QString::number(i) + '\n';
  const QString dashes(20, '-');
  const QString start = "\r\n" + dashes + " START. Task ID: 7. Run make " + dashes + "\r\n";
  const QString end = "\r\n" + dashes + " END. Task ID: 7. Run make " + dashes + "\r\n";
  const QString raw = capture_.log().raw.join("");
  QString text;
  for (int at = 0; at < raw.size();) {
    ASSERT_EQ(at, raw.indexOf(start, at)) << "output outside the banners at " << at;
    at += start.size();
    const int close = raw.indexOf(end, at);
    ASSERT_GE(close, 0) << "a START without its END";
    const QString piece = raw.mid(at, close - at);
    ASSERT_FALSE(piece.contains(start)) << "a START inside another";
    text += piece;
    at = close + end.size();
  }
  EXPECT_TRUE(text == expected) << "the output, once and in order: " << text.size() << " characters of "
                                << expected.size();
}

TEST_F(TaskBuildQmakeTest, AFailingOrMissingToolFailsTheBuildAndRecordsNothing) {
  const QString failed = "Failed to build. Exit code: %1. Project name: 'app'. Output: '" + path("out") +
                         "'. Task ID: 7";
  const struct {
    const char* name;
    QByteArray qmake;
    QByteArray make;
    int code;
    QString error;
    int makeRuns;
  } cases[] = {
      {"qmake exits 2", "exit 2", "", 373, failed.arg(2), 0},
      {"make exits 2", "", "exit 2", 374, failed.arg(2), 1},
      {"qmake crashes", "kill -SEGV $$", "", 373, failed.arg(-1), 0},
      {"make crashes", "", "kill -SEGV $$", 374, failed.arg(-1), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    QFile::remove(path("make.log"));
    qmake(c.qmake);
    make(c.make);
    EXPECT_EQ(c.code, run(*task(path("out"), path("build"))));
    EXPECT_EQ(QString::number(c.code), var("built"));
    EXPECT_TRUE(capture_.log().contains(c.error));
    EXPECT_EQ(c.makeRuns, runs("make.log"));
    EXPECT_TRUE(state("built").empty()) << "a failed build is tried again later";
    EXPECT_TRUE(state("resultoutputs").empty());
  }

  capture_.clear();
  script("tools/qmake", "");
  QFile::rename(path("tools/qmake"), path("tools/qmake.sh"));
  writeFile(path("tools/qmake"), "#!" + QFile::encodeName(path("no-shell")) + "\n", true);
  EXPECT_EQ(373, run(*task(path("out"), path("build"))));
  EXPECT_TRUE(capture_.log().contains(failed.arg(-1)));
  EXPECT_TRUE(capture_.log().containsPart("Failed to run '" + path("tools/qmake") + "': "))
      << "the reason of a tool that cannot start";
}

TEST_F(TaskBuildQmakeTest, QmakePathMustNameAnExecutableFile) {
  writeFile(path("tools/data"), "");
  QDir(path("tools")).mkpath("dir");
  const struct {
    const char* tool;
    QString shown;  // the path the failure names
  } cases[] = {
      {"dir", path("tools/dir")},
      {"data", path("tools/data")},
      {"gone", ""},  // a path to nothing is dropped before the check
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tool);
    capture_.clear();
    EXPECT_EQ(0, vars_.set("linux.qmake.path", path("tools/") + c.tool));
    EXPECT_EQ(370, run(*task(path("out"), path("build"))));
    EXPECT_TRUE(capture_.log().contains("Qmake file not found! Qmake path: '" + c.shown +
                                        "'. Project name: 'app'. Task ID: 7"));
    EXPECT_EQ(0, runs("qmake.log"));
  }
  // A platform and toolset select a qmake of their own; there is no fallback to a shorter
  // key (nor, here, a qmake on PATH).
  testing_support::ScopedEnv noQmakeOnPath("PATH", QFile::encodeName(path("bin")).constData());
  EXPECT_EQ(0, vars_.set("linux.qmake.path", path("tools/qmake")));
  auto t = task(path("out"), path("build"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("platform", "arm"));
  EXPECT_EQ(370, run(*t));
  EXPECT_EQ(0, vars_.set("linux.qmake.path.arm", path("tools/qmake")));
  EXPECT_EQ(0, run(*t));
}

TEST_F(TaskBuildQmakeTest, ChecksBeforeTheToolsRun) {
  writeFile(path("file"), "");
  const struct {
    const char* name;
    QString output;
    QString buildDir;
    const char* projectFile;
    const char* rootDir;
    int code;
    QString error;
  } cases[] = {
      {"no output", "", path("build"), "app.pro", "src", 304, "Output folder not defined! Task ID: 7"},
      // Only a project file and a root directory that are both empty leave nothing to build.
      {"no project file, no root directory", path("out"), path("build"), "", "", 305,
       "Project file not defined. Project name: 'app'. Task ID: 7"},
      {"no build directory", path("out"), "", "app.pro", "src", 372,
       "Output build directory is not found! Path: ''. Project name: 'app'. Task ID: 7"},
      {"build directory below a file", path("out"), path("file/build"), "app.pro", "src", 372,
       "Output build directory is not found! Path: '" + path("file/build") + "'. Project name: 'app'. Task ID: 7"},
  };
  project_->setProjectFile("");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    capture_.clear();
    const QString rootDir = *c.rootDir ? path(c.rootDir) : QString();
    project_->setDefFile(*c.rootDir ? rootDir + "/varkel.xml" : QString());
    auto t = task(c.output, c.buildDir);
    EXPECT_EQ(0, t->getPropertiesSetter()->setString("projectFile", c.projectFile));
    EXPECT_EQ(0, t->getPropertiesSetter()->setString("rootdir", rootDir));
    EXPECT_EQ(c.code, run(*t));
    EXPECT_TRUE(capture_.log().contains(c.error));
    EXPECT_EQ(0, runs("qmake.log"));
    if (c.code == 304) {
      EXPECT_TRUE(capture_.log().contains("Failed to retrieve output folder! Task ID: 7. Error: 304"));
    }
  }
}

TEST_F(TaskBuildQmakeTest, ABuildIsMadeOnceAndCopiedOncePerOutputDirectory) {
  ASSERT_EQ(0, run(*task(path("out"), path("build"))));
  ASSERT_EQ(1, runs("qmake.log"));

  capture_.clear();
  ASSERT_EQ(0, run(*task(path("out"), path("build"))));
  EXPECT_TRUE(capture_.log().containsPart("This project has been already processed\r\n"));
  EXPECT_EQ(1, runs("qmake.log"));
  EXPECT_EQ(1u, state("resultoutputs").size());

  capture_.clear();
  ASSERT_EQ(0, run(*task(path("second"), path("build"))));
  EXPECT_TRUE(capture_.log().containsPart("This project has been already built\r\n"));
  EXPECT_EQ(1, runs("qmake.log")) << "not built again";
  EXPECT_EQ(2u, state("resultoutputs").size()) << "but copied to the new output";

  capture_.clear();
  auto skipped = task(path("third"), path("build"));
  EXPECT_EQ(0, skipped->getPropertiesSetter()->setString("skipBuild", "yes"));
  EXPECT_EQ(0, skipped->getPropertiesSetter()->setString("configuration", "debug"));
  ASSERT_EQ(0, run(*skipped));
  EXPECT_TRUE(capture_.log().containsPart("Building of the project will be skipped\r\n"));
  EXPECT_EQ(1, runs("qmake.log"));
  EXPECT_EQ(2u, state("built").size()) << "a skipped build is recorded too";
}

TEST_F(TaskBuildQmakeTest, FileSetsOfTheBuildDirectoryAreCopiedFromThisStartsBuild) {
  FileSetInfo bin;
  bin.id = "bin";
  bin.dir = ".";
  bin.includes.push_back({"app", QString(), QString()});
  FileSetInfo docs;
  docs.dir = "docs";
  docs.includes.push_back({"readme", QString(), QString()});
  project_->setOutputs({bin, docs});
  writeFile(path("src/docs/readme"), "read me");
  make("pwd > app");
  EXPECT_EQ(0, vars_.set("app.bin.fileset.prefer.out.subdir", "bin"));

  // One task started twice, as in a loop, each time with another configuration and build
  // directory: each start copies from its own build.
  auto t = task(path("out1"), path("build1"));
  ASSERT_EQ(0, run(*t));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("configuration", "debug"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("output", path("out2")));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("outputbuilddir", path("build2")));
  ASSERT_EQ(0, run(*t));
  EXPECT_EQ(path("build1") + "\n", readFile(path("out1/bin/app")));
  EXPECT_EQ(path("build2") + "\n", readFile(path("out2/bin/app")));
  EXPECT_EQ("read me", readFile(path("out2/readme"))) << "other sets from the root directory";
  EXPECT_TRUE(capture_.log().containsPart("File set subdirectory info. \r\n    Project name: 'app'.\r\n"
                                          "    Output directory: '" + path("out2") + "'.\r\n"
                                          "    File set directory: '" + path("build2") + "'.\r\n"
                                          "    File set ID: 'bin'.\r\n    File set subdirectory: 'bin'.\r\n"));

  // A missing file fails the copy, and nothing is recorded.
  capture_.clear();
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("configuration", "other"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("outputbuilddir", path("build3")));
  make("");
  EXPECT_EQ(338, run(*t));
  EXPECT_TRUE(capture_.log().contains("Failed to copy project files. Project name: 'app'. Output: '" + path("out2") +
                                      "'. Task ID: 7"));
  EXPECT_EQ(2u, state("built").size());
}

TEST_F(TaskBuildQmakeTest, RelativePathsAreTakenFromTheCurrentDirectoryOnceAtTheStart) {
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(path("")));
  QDir().mkpath("here");
  writeFile(path("here/local.pro"), "");
  auto t = task("out", "build/app");
  const int code = run(*t);
  auto local = task("out2", "build/local");
  EXPECT_EQ(0, local->getPropertiesSetter()->setString("projectFile", "here/local.pro"));
  EXPECT_EQ(0, local->getPropertiesSetter()->setString("configuration", "local"));
  const int localCode = run(*local);
  ASSERT_TRUE(QDir::setCurrent(before));

  ASSERT_EQ(0, code);
  ASSERT_EQ(0, localCode);
  const QStringList qmakeRuns = logOf("qmake.log");
  EXPECT_EQ("dir=" + path("build/app"), qmakeRuns.value(1));
  EXPECT_EQ("arg=" + path("src/app.pro"), qmakeRuns.value(2)) << "against the solution directory";
  EXPECT_EQ("arg=" + path("here/local.pro"), qmakeRuns.value(7)) << "a file found from here";
  EXPECT_EQ("{configuration:;platform:;toolset:;qmake}" + path("out"), state("resultoutputs").at(0));
}

TEST_F(TaskBuildQmakeTest, WithoutABuildDirectoryAttributeTheBuildGoesBesideTheProjectFile) {
  auto t = task(path("out"), QString());
  EXPECT_EQ(0, t->getPropertiesSetter()->remove("outputbuilddir"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("configuration", "release"));
  ASSERT_EQ(0, run(*t));
  EXPECT_EQ("dir=" + path("src/build-app-release"), logOf("qmake.log").value(1));
}

// qmake given a directory builds the project file that the directory holds.
TEST_F(TaskBuildQmakeTest, WithoutAProjectFileQmakeGetsTheRootDirectory) {
  project_->setProjectFile("");
  auto t = task(path("out"), QString());
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("projectFile", ""));
  EXPECT_EQ(0, t->getPropertiesSetter()->remove("outputbuilddir"));
  EXPECT_EQ(0, t->getPropertiesSetter()->setString("configuration", "release"));
  ASSERT_EQ(0, run(*t));
  EXPECT_EQ(QStringList({"dir=" + path("src/build-app-release"), "arg=" + path("src") + "/"}),
            logOf("qmake.log").mid(1, 2))
      << "the root directory with its separator; the build goes into it";
  EXPECT_TRUE(capture_.log().containsPart("    Project file: '" + path("src") + "/'.\r\n"));
}

TEST_F(TaskBuildQmakeTest, TheBuilderStandsInItsBuildTasksPlaceInTheTree) {
  // top (project "top") -> app's build task -> the task of app's dependence "lib".
  projects_.add<ProjectBuild>("top");
  EXPECT_EQ(0, project_->addChildProject({"lib", ""}));
  auto top = std::make_unique<TaskBuild>(3, nullptr);
  top->setProjectsProvider(&projects_);
  EXPECT_EQ(0, top->getPropertiesSetter()->setString("projectName", "top"));
  TaskBuild* t = task(path("out"), path("build")).release();
  ASSERT_EQ(0, top->addChild(t));
  auto* lib = new TaskBuild(9, nullptr);
  EXPECT_EQ(0, lib->getPropertiesSetter()->setString("projectName", "lib"));
  ASSERT_EQ(0, t->addChild(lib));
  EXPECT_EQ(0, vars_.set("app.prefer.out.subdir", "sub"));
  EXPECT_EQ(0, vars_.set("app.prefer.out.subdir.recursively", "true"));

  ASSERT_EQ(0, run(*t));
  EXPECT_TRUE(capture_.log().containsPart("Parent task IDs: '3'.\r\n    Parent projects: 'top'.\r\n"));
  EXPECT_EQ("sub", propertyText(lib->getProperties(), "preferOutSubDir")) << "the subdirectory reaches the dependence's task";
  EXPECT_TRUE(capture_.log().contains(
      "Output subdirectory was set for all child tasks. Project name: 'app'. Subdirectory: 'sub'. Task ID: 7"));
  EXPECT_EQ(std::vector<QString>{"{configuration:;platform:;toolset:;qmake}" + path("out/sub")},
            state("resultoutputs"));
}

}  // namespace
