// Project builds run by the real program: the example Qt console program built with the
// real qmake and make, from the command line and from a job; and the failure paths with
// small fake tools that record what they were given.

#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {

const QString kExample = QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/qmake");

// The example copied into DIR/greeter, so that nothing is built in the source tree.
void copyExample(VarkelRun& v) {
  for (const char* name : {"varkel.xml", "greeter.pro", "main.cpp"})
    v.write(QStringLiteral("greeter/") + name, QString::fromUtf8(testing_support::readFile(kExample + "/" + name)));
}

// What the built program says.
QString greeting(const QString& program, const QStringList& arguments = {}) {
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(kRunTimeoutMs)) return QStringLiteral("<did not finish>");
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(QmakeBuildEndToEnd, ExampleBuiltWithTheRealQmakeFromTheCommandLine) {
  VarkelRun v;
  ASSERT_READY(v);
  copyExample(v);
  const RunResult r =
      v.run({"-pmanifest", v.path("greeter/varkel.xml"), "-build", "greeter", "-config", "release", "-output",
             v.path("out")});
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(QFileInfo(v.path("greeter/build-greeter-release/Makefile")).isFile())
      << "the build goes beside the project file";
  EXPECT_TRUE(r.logHas(" Run make --------------------\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[qmake.build] Try to build the project\r\n"));
  EXPECT_TRUE(greeting(v.path("out/greeter"), {"you"}).startsWith("Hello, you! Built by qmake with Qt 5."));
}

TEST(QmakeBuildEndToEnd, ExampleBuiltFromAJobsBuildElementWithItsVars) {
  VarkelRun v;
  ASSERT_READY(v);
  copyExample(v);
  // The same build twice more: into another output it is only copied, into the same one
  // nothing happens.
  const QString build =
      "<build name='greeter' configuration='release' output='DIR/%1' outputbuilddir='DIR/build'>"
      "<vars><var name='GREETER_BUILT_BY' value='${builder}'/></vars></build>\n";
  v.writeJob("job.xml", v.inDir("<vars><var name='builder' value='varkel'/></vars><tasks>\n" + build.arg("out") +
                                 build.arg("second") + build.arg("out") + "</tasks>"));
  const RunResult r = v.run({"-pmanifest", v.path("greeter/varkel.xml"), "-job", "job.xml"});
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(greeting(v.path("out/greeter")).startsWith("Hello, world! Built by varkel with Qt 5."));
  EXPECT_TRUE(greeting(v.path("second/greeter")).startsWith("Hello, world! Built by varkel"));
  EXPECT_EQ(1, r.log.count("Run qmake --------------------\r\n") / 2) << "qmake ran once";
  EXPECT_TRUE(r.logHas("[qmake.build] This project has been already built\r\n"));
  EXPECT_TRUE(r.logHas("[qmake.build] This project has been already processed\r\n"));
}

// A solution that names no project file hands qmake its directory: qmake builds the
// project file named after that directory, and says so in its own words when there is none.
TEST(QmakeBuildEndToEnd, ASolutionWithoutAProjectFileBuildsItsDirectory) {
  VarkelRun v;
  ASSERT_READY(v);
  copyExample(v);
  QString rules = v.read("greeter/varkel.xml");
  ASSERT_TRUE(rules.contains(" projectfile=\"greeter.pro\""));
  rules.remove(" projectfile=\"greeter.pro\"");
  v.write("greeter/varkel.xml", rules);
  const QStringList build = {"-build", "greeter", "-config", "release", "-output", v.path("out")};
  const RunResult r = v.run(QStringList{"-pmanifest", v.path("greeter/varkel.xml")} + build);
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("\" " + v.path("greeter") + "/ \r\n")) << "qmake's argument: " << qPrintable(r.log);
  EXPECT_TRUE(QFileInfo(v.path("greeter/build-greeter-release/Makefile")).isFile());
  EXPECT_TRUE(greeting(v.path("out/greeter"), {"you"}).startsWith("Hello, you! Built by qmake with Qt 5."));

  // The same rules beside the sources, but no project file there.
  v.write("bare/varkel.xml", rules);
  v.write("bare/main.cpp", v.read("greeter/main.cpp"));
  const RunResult bare = v.run(QStringList{"-pmanifest", v.path("bare/varkel.xml")} + build);
  EXPECT_EQ(373 & 0xff, bare.exitCode) << qPrintable(bare.log);
  EXPECT_TRUE(bare.log.contains(
      QRegularExpression("(?s) Run qmake -{20}\r\n((?!END).)*" + QRegularExpression::escape(v.path("bare")))))
      << "qmake names the directory: " << qPrintable(bare.log);
  EXPECT_TRUE(bare.logHas("[qmake.build] Failed to build. Exit code: "));
  EXPECT_FALSE(bare.logHas("Run make")) << "make does not run after a failed qmake";
}

// The project "app" (src/app.pro) of src/varkel.xml, whose output file set takes "app"
// from the build directory; a fake qmake named by "linux.qmake.path" and a fake make first
// on PATH, each appending to DIR/<tool>.log "run", its directory, its arguments and the
// variables FOO and HOME, then doing what the test asks (make leaves "app" behind).
class FakeToolsBuild : public VarkelRun {
 public:
  FakeToolsBuild() {
    write("src/varkel.xml",
          "<project><solutions><solution type='build' buildtype='qmake' name='app' projectfile='app.pro'>"
          "<output><fileset dir='.'><include name='app'/></fileset></output>"
          "</solution></solutions></project>\n");
    write("src/app.pro", "");
    qmake("");
    make("");
    setEnv("PATH", path("bin") + ":" + qEnvironmentVariable("PATH"));
  }
  void tool(const QString& file, const QString& log, const QString& body) {
    write(file,
          inDir("#!/bin/sh\n{ echo run; echo \"dir=$(pwd)\"; for a in \"$@\"; do echo \"arg=$a\"; done; "
                "echo \"FOO=$FOO\"; echo \"HOME=$HOME\"; } >> DIR/" +
                log + "\n" + body + "\n"),
          true);
  }
  void qmake(const QString& body) { tool("tools/qmake", "qmake.log", body); }
  void make(const QString& body) { tool("bin/make", "make.log", "echo built > app\n" + body); }
  QStringList logOf(const QString& name) {
    const QString text = read(name);
    return text == "<missing>" ? QStringList() : text.split('\n', Qt::SkipEmptyParts);
  }
  RunResult runBuilds(const QString& builds, const QString& qmakePath = "DIR/tools/qmake") {
    writeBuilds(builds, qmakePath);
    return run(arguments());
  }
  void writeBuilds(const QString& builds, const QString& qmakePath = "DIR/tools/qmake") {
    writeJob("job.xml", inDir("<vars><var name='linux.qmake.path' value='" + qmakePath + "'/></vars><tasks>\n" +
                              builds + "</tasks>"));
  }
  QStringList arguments() const { return {"-pmanifest", path("src/varkel.xml"), "-job", "job.xml"}; }
};

QString buildElement(const QString& output, const QString& extra = QString(),
                     const QString& buildDir = "outputbuilddir='DIR/build'") {
  return "<build name='app' output='DIR/" + output + "' " + buildDir + " " + extra +
         "><vars><var name='FOO' value='bar'/></vars></build>\n";
}

TEST(QmakeBuildEndToEnd, FakeToolsSeeTheirArgumentsDirectoryAndEnvironment) {
  FakeToolsBuild v;
  ASSERT_READY(v);
  const RunResult r = v.runBuilds(buildElement("out", "extraparam='CONFIG+=debug'"));
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  const QString home = qEnvironmentVariable("HOME");
  EXPECT_EQ(QStringList({"run", "dir=" + v.path("build"), "arg=CONFIG+=debug", "arg=" + v.path("src/app.pro"),
                         "FOO=bar", "HOME=" + home}),
            v.logOf("qmake.log"));
  EXPECT_EQ(QStringList({"run", "dir=" + v.path("build"), "FOO=bar", "HOME=" + home}), v.logOf("make.log"));
  EXPECT_EQ("built\n", v.read("out/app"));
}

TEST(QmakeBuildEndToEnd, FailedToolsAndAMissingQmakeFailTheRun) {
  const struct {
    const char* name;
    const char* qmake;
    const char* make;
    const char* qmakePath;
    const char* buildDir;
    int code;
    const char* logLine;
    int qmakeRuns;
    int makeRuns;
  } cases[] = {
      {"qmake exits 2", "exit 2", "", "DIR/tools/qmake", "outputbuilddir='DIR/build'", 373,
       "[qmake.build] Failed to build. Exit code: 2. Project name: 'app'. Output: 'DIR/out'. Task ID: 1\r\n", 1, 0},
      {"make exits 2", "", "exit 2", "DIR/tools/qmake", "outputbuilddir='DIR/build'", 374,
       "[qmake.build] Failed to build. Exit code: 2. Project name: 'app'. Output: 'DIR/out'. Task ID: 1\r\n", 1, 1},
      {"make crashes", "", "kill -SEGV $$", "DIR/tools/qmake", "outputbuilddir='DIR/build'", 374,
       "[qmake.build] Failed to build. Exit code: -1. Project name: 'app'. Output: 'DIR/out'. Task ID: 1\r\n", 1, 1},
      {"qmake path names a directory", "", "", "DIR/tools", "outputbuilddir='DIR/build'", 370,
       "[qmake.build] Qmake file not found! Qmake path: 'DIR/tools'. Project name: 'app'. Task ID: 1\r\n", 0, 0},
      {"a build element names no build directory", "", "", "DIR/tools/qmake", "", 372,
       "[qmake.build] Output build directory is not found! Path: ''. Project name: 'app'. Task ID: 1\r\n", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeToolsBuild v;
    ASSERT_READY(v);
    v.qmake(c.qmake);
    v.make(c.make);
    const RunResult r = v.runBuilds(buildElement("out", QString(), c.buildDir), c.qmakePath);
    EXPECT_EQ(c.code & 0xff, r.exitCode);
    EXPECT_TRUE(r.logHas(v.inDir(c.logLine))) << qPrintable(r.log);
    EXPECT_EQ(c.qmakeRuns, v.logOf("qmake.log").count("run"));
    EXPECT_EQ(c.makeRuns, v.logOf("make.log").count("run"));
    EXPECT_FALSE(QFileInfo::exists(v.path("out/app"))) << "nothing is copied";
  }
}

TEST(QmakeBuildEndToEnd, AStopSignalEndsTheToolsAndWhatTheyStarted) {
  FakeToolsBuild v;
  ASSERT_READY(v);
  v.make(v.inDir(kScriptWithAChild));
  v.writeBuilds(buildElement("out") + "<echo message='next'/>\n");
  const RunResult r = v.runAndStop(v.arguments(), "TERM");
  EXPECT_EQ(15, r.endSignal) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas(v.inDir("[qmake.build] Failed to build. Exit code: -1. Project name: 'app'. Output: 'DIR/out'. "
                               "Task ID: 1\r\n")))
      << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("[Echo] next"));
  EXPECT_TRUE(lastLogLine(r).endsWith(
      "[Mgr] Finish. The run was stopped by the signal SIGTERM. Result 30 leaves the process with exit code 143."))
      << qPrintable(lastLogLine(r));
  v.expectEnded({"script.pid", "child.pid"});
  EXPECT_FALSE(QFileInfo::exists(v.path("out/app"))) << "nothing is copied";
}

TEST(QmakeBuildEndToEnd, AProjectIsBuiltOnceAndCopiedOncePerOutputInARun) {
  FakeToolsBuild v;
  ASSERT_READY(v);
  const RunResult r = v.runBuilds(buildElement("out") + buildElement("second") + buildElement("out"));
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_EQ(1, v.logOf("qmake.log").count("run"));
  EXPECT_EQ(1, v.logOf("make.log").count("run"));
  EXPECT_EQ("built\n", v.read("out/app"));
  EXPECT_EQ("built\n", v.read("second/app")) << "already built, still copied to a new output";
  EXPECT_TRUE(r.logHas("[qmake.build] This project has been already built\r\n"));
  EXPECT_TRUE(r.logHas("[qmake.build] This project has been already processed\r\n"));
}

}  // namespace
