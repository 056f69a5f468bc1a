#include "core/process_helper.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using testing_support::ScopedLogCapture;

namespace {

struct Outcome {
  int code = -1;
  int exitCode = -1;
  bool finished = false;
  qint64 elapsedMs = 0;
};

struct Options {
  int waitMs = -1;
  bool show = true;
  bool catchOutput = false;
  QString outputFile;
  QString workingDirectory;
  QProcessEnvironment environment;
};

Outcome runProgram(ProcessHelper& helper, const QString& program, const QStringList& args,
                   const Options& o = Options()) {
  Outcome out;
  QElapsedTimer timer;
  timer.start();
  out.code = helper.run(&out.exitCode, &out.finished, program, args, o.workingDirectory, o.waitMs,
                        o.show, o.catchOutput, o.outputFile, o.environment);
  out.elapsedMs = timer.elapsed();
  return out;
}

Outcome runShell(ProcessHelper& helper, const QString& script, const Options& o = Options()) {
  return runProgram(helper, "/bin/sh", {"-c", script}, o);
}

using testing_support::processState;
using testing_support::readFile;

class CallbackAppender : public logger::ILogAppender {
 public:
  explicit CallbackAppender(std::function<void(const QString&)> onRaw) : onRaw_(std::move(onRaw)) {}
  void writeRaw(const QString& text) override { onRaw_(text); }
  void write(const logger::LogEntry&) override {}

 private:
  std::function<void(const QString&)> onRaw_;
};

TEST(ProcessHelperTest, ReportsTheChildsExitCodeRunAfterRun) {
  ProcessHelper helper;
  const struct {
    const char* script;
    int waitMs;
    int exitCode;
    int endSignal;
  } cases[] = {
      {"exit 0", -1, 0, 0},
      {"exit 3", -1, 3, 0},
      {"exit 255", 0, 255, 0},
      {"sleep 0.3; exit 7", 5000, 7, 0},
      // As a shell reports it: not to be read as exit(11).
      {"kill -SEGV $$", -1, 139, 11},
      {"kill -TERM $$", 5000, 143, 15},
      {"exit 1", -1, 1, 0},  // the signal of an earlier run is not kept
  };
  for (const auto& c : cases) {
    Options o;
    o.waitMs = c.waitMs;
    const Outcome r = runShell(helper, c.script, o);
    EXPECT_EQ(0, r.code) << c.script;
    EXPECT_TRUE(r.finished) << c.script;
    EXPECT_EQ(c.exitCode, r.exitCode) << c.script;
    EXPECT_EQ(c.endSignal, helper.endSignal()) << c.script;
  }
}

TEST(ProcessHelperTest, EndOfAChildIsSeenAtOnce) {
  // How soon is measured by bench/process_helper_bench.cpp.
  ProcessHelper helper;
  const Outcome r = runProgram(helper, "/bin/true", {});
  EXPECT_TRUE(r.finished);
}

TEST(ProcessHelperTest, ChildThatReadsItsInputSeesItsEndInsteadOfWaiting) {
  ProcessHelper helper;
  Options o;
  o.waitMs = 60000;  // a child that waited for input would outlast it
  const Outcome r = runShell(helper, "cat; read line; exit 4", o);
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(4, r.exitCode);
}

TEST(ProcessHelperTest, ProgramThatCannotStartIsAFailure) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  for (const bool catchOutput : {false, true}) {
    ScopedLogCapture capture;
    ProcessHelper helper;
    Options o;
    o.catchOutput = catchOutput;
    o.outputFile = tmp.filePath("out.txt");
    const Outcome r = runProgram(helper, "/no/such/program", {"a"}, o);
    EXPECT_EQ(ProcessHelper::kFailedToStart, r.code);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(QFile::exists(o.outputFile));
    const QStringList texts = capture.log().texts();
    const QString prefix = "Failed to start process. Command: /no/such/program. Error: ";
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_TRUE(texts.last().startsWith(prefix)) << texts.last().toStdString();
    EXPECT_GT(texts.last().size(), prefix.size());
    EXPECT_EQ(logger::LogError, capture.log().entries.back().level);
    EXPECT_EQ(catchOutput, capture.log().contains(
                               "Process error occurred. Command: /no/such/program. Error: 0"));

    // The runner is free again.
    EXPECT_EQ(0, runShell(helper, "exit 0").code);
  }
}

TEST(ProcessHelperTest, ChildThatOutlivesAPositiveWaitKeepsRunning) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString pidFile = tmp.filePath("pid");
  QString pid;
  {
    ScopedLogCapture capture;
    ProcessHelper helper;
    Options o;
    o.waitMs = 500;
    const Outcome r = runShell(helper, "echo $$ > '" + pidFile + "'; exec sleep 30", o);
    EXPECT_EQ(0, r.code);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(0, r.exitCode);
    EXPECT_GE(r.elapsedMs, o.waitMs);  // the wait was kept, not skipped
    pid = QString::fromLatin1(readFile(pidFile)).trimmed();
    ASSERT_FALSE(pid.isEmpty());
    const QString state = processState(pid);
    EXPECT_TRUE(state == "S" || state == "R") << state.toStdString();

    // A second run starts its own program beside it and reports that one.
    const Outcome second = runShell(helper, "exit 4");
    EXPECT_EQ(0, second.code);
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(4, second.exitCode);
    // The second run, whose unlimited wait would close the process, leaves the old child be.
    const QString after = processState(pid);
    EXPECT_TRUE(after == "S" || after == "R") << after.toStdString();
  }
  // The runner's end ends the child and reaps it.
  EXPECT_EQ(QString(), processState(pid));
}

TEST(ProcessHelperTest, SecondRunWhileOneIsUnderWayGives80AndStopEndsTheWait) {
  ScopedLogCapture capture;
  ProcessHelper helper;
  int secondCode = -1;
  std::thread other;
  // Runs on the first output of the child, i.e. while the first run waits.
  capture.manager()->addAppender(new CallbackAppender([&](const QString&) {
    if (other.joinable()) return;
    other = std::thread([&] {
      int exitCode = -1;
      bool finished = false;
      secondCode = helper.run(&exitCode, &finished, "/bin/echo", {}, QString(), -1, true, false,
                              QString(), QProcessEnvironment());
      helper.stop();
    });
  }));
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString pidFile = tmp.filePath("pid");
  Options o;
  o.catchOutput = true;
  const Outcome r = runShell(helper, "echo $$ > '" + pidFile + "'; echo go; exec sleep 30", o);
  ASSERT_TRUE(other.joinable());
  other.join();
  EXPECT_EQ(0, r.code);
  EXPECT_FALSE(r.finished);  // still running when the wait was left
  // With an unlimited wait the stop ends the child.
  EXPECT_EQ(QString(), processState(QString::fromLatin1(readFile(pidFile))));
  EXPECT_EQ(ProcessHelper::kAlreadyRunning, secondCode);
  EXPECT_TRUE(capture.log().contains("Process already started. /bin/echo"));
}

TEST(ProcessHelperTest, CaughtOutputGoesToTheLogRawAndToTheFile) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  ScopedLogCapture capture(logger::LogOff);  // raw output ignores the level
  ProcessHelper helper;
  Options o;
  o.catchOutput = true;
  o.outputFile = tmp.filePath("new/deeper/out.txt");
  const Outcome r = runShell(helper, "printf 'one\\n'; printf 'two\\n' >&2; printf '\\377'", o);
  EXPECT_EQ(0, r.code);
  const QByteArray file = readFile(o.outputFile);
  EXPECT_TRUE(file.contains("one\n")) << file.toStdString();
  EXPECT_TRUE(file.contains("two\n"));
  EXPECT_TRUE(file.contains('\xff'));  // bytes as written, not re-encoded
  EXPECT_EQ(9, file.size());
  const QString raw = capture.log().raw.join(QString());
  EXPECT_TRUE(raw.contains("one\n")) << raw.toStdString();
  EXPECT_TRUE(raw.contains("two\n"));
  EXPECT_TRUE(capture.log().entries.empty());
}

// Qt 5 decodes a QByteArray only up to its first NUL; the output is decoded by length.
TEST(ProcessHelperTest, OutputHoldingANulByteIsLoggedWhole) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  ScopedLogCapture capture(logger::LogOff);
  ProcessHelper helper;
  Options o;
  o.catchOutput = true;
  o.outputFile = tmp.filePath("out.txt");
  EXPECT_EQ(0, runShell(helper, "printf 'before\\000after\\n'", o).code);
  EXPECT_EQ(QByteArray("before\0after\n", 13), readFile(o.outputFile));
  EXPECT_EQ(QString::fromUtf8("before\0after\n", 13), capture.log().raw.join(QString()));
}

TEST(ProcessHelperTest, OutputFileIsReplacedOrRemovedByWhatTheChildWrites) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString path = tmp.filePath("out.txt");
  const struct {
    const char* name;
    const char* script;
    bool show;
    bool catchOutput;
    bool existingFile;
    const char* fileAfter;  // null: no file
    bool logged;
  } cases[] = {
      {"read-only file replaced", "printf new", true, true, true, "new", true},
      {"silent child leaves no file", "true", true, true, false, nullptr, false},
      {"silent child removes an old file", "true", true, true, true, nullptr, false},
      {"not caught: no file made", "printf lost", true, false, false, nullptr, false},
      {"not caught: old file kept", "printf lost", true, false, true, "old", false},
      {"forwarded: nothing caught", "printf 'forwarded child output\\n'", false, true, false, nullptr,
       false},
      {"not caught: a flood is discarded", "head -c 4000000 /dev/zero", true, false, false, nullptr,
       false},
  };
  for (const auto& c : cases) {
    QFile::remove(path);
    if (c.existingFile) {
      testing_support::writeFile(path, "old");
      ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    }
    ScopedLogCapture capture;
    ProcessHelper helper;
    Options o;
    o.show = c.show;
    o.catchOutput = c.catchOutput;
    o.outputFile = path;
    const Outcome r = runShell(helper, c.script, o);
    EXPECT_EQ(0, r.code) << c.name;
    EXPECT_TRUE(r.finished) << c.name;
    if (c.fileAfter) {
      EXPECT_EQ(QByteArray(c.fileAfter), readFile(path)) << c.name;
    } else {
      EXPECT_FALSE(QFile::exists(path)) << c.name;
    }
    EXPECT_EQ(c.logged, !capture.log().raw.isEmpty()) << c.name;
    EXPECT_TRUE(capture.log().entries.empty()) << c.name;
  }
}

// Through links in a directory of the test's own: a device is written to, and never
// removed or replaced, whatever the run does with the path.
TEST(ProcessHelperTest, ACharacterDeviceAsTheOutputFileIsWrittenToAndKept) {
  if (!testing_support::haveFullDevice()) GTEST_SKIP() << "no /dev/full that refuses every write";
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const struct {
    const char* name;
    const char* device;
    const char* script;
    int code;
    qint64 loggedBytes;
  } cases[] = {
      {"silent child, /dev/null", "/dev/null", "true", 0, 0},
      {"talkative child, /dev/null", "/dev/null", "printf words", 0, 5},
      // More than a pipe holds: the output is read to its end after the first failed write.
      {"full device", "/dev/full", "head -c 300000 /dev/zero | tr '\\0' x; printf end",
       ProcessHelper::kOutputNotWritten, 300003},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString link = tmp.filePath(QString(c.name).replace(' ', '_').remove(',').remove('/'));
    ASSERT_TRUE(QFile::link(c.device, link));
    ScopedLogCapture capture;
    ProcessHelper helper;
    Options o;
    o.catchOutput = true;
    o.outputFile = link;
    const Outcome r = runShell(helper, c.script, o);
    EXPECT_EQ(c.code, r.code);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(c.device, QFileInfo(link).symLinkTarget());
    EXPECT_EQ(c.loggedBytes, capture.log().raw.join(QString()).size());
    EXPECT_EQ(c.code != 0, capture.log().contains("Failed to write file: '" + link + "': No space left on device."))
        << capture.log().texts().join('\n').toStdString();
  }
}

TEST(ProcessHelperTest, WorkingDirectoryAndEnvironment) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString here = QDir::currentPath();
  const QString dir = QDir(tmp.path()).canonicalPath();
  QProcessEnvironment own;
  own.insert("VARKEL_PH_TEST", "given");
  const struct {
    const char* name;
    QString workingDirectory;
    QProcessEnvironment environment;
    QString expected;
  } cases[] = {
      {"existing directory", dir, QProcessEnvironment(), dir + " inherited"},
      {"existing directory, backslashes", QString(dir).replace('/', '\\'), QProcessEnvironment(),
       dir + " inherited"},
      {"missing directory ignored", dir + "/missing", QProcessEnvironment(), here + " inherited"},
      {"given environment", QString(), own, here + " given"},
      {"empty environment inherits again", QString(), QProcessEnvironment(), here + " inherited"},
  };
  qputenv("VARKEL_PH_TEST", "inherited");
  ProcessHelper helper;  // one runner: settings of a run must not stick to the next
  for (const auto& c : cases) {
    ScopedLogCapture capture;
    Options o;
    o.catchOutput = true;
    o.workingDirectory = c.workingDirectory;
    o.environment = c.environment;
    const Outcome r = runShell(helper, "printf '%s %s' \"$(pwd -P)\" \"$VARKEL_PH_TEST\"", o);
    EXPECT_EQ(0, r.code) << c.name;
    EXPECT_EQ(c.expected, capture.log().raw.join(QString())) << c.name;
    EXPECT_TRUE(capture.log().entries.empty()) << c.name;
  }
  qunsetenv("VARKEL_PH_TEST");
}

}  // namespace
