#include "core/environment_access.h"
#include "fake_disk.h"
#include "platform/file_lock.h"
#include "platform/system_environment.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using testing_support::ScopedLogCapture;

namespace {

using testing_support::ScopedEnv;
using testing_support::readFile;

QStringList times(int n, const QString& line) {
  QStringList lines;
  while (n-- > 0) lines << line;
  return lines;
}

using testing_support::writeFile;

TEST(ProcessEnvironmentTest, MissingVariableFailsWithNativeError) {
  ScopedEnv unset("VARKEL_TEST_MISSING", nullptr);
  ScopedLogCapture capture;
  QString value = "kept";
  EXPECT_EQ(5, getProcessEnvironmentVariable(value, "VARKEL_TEST_MISSING"));
  EXPECT_EQ("kept", value);
  ASSERT_EQ(1u, capture.log().entries.size());
  EXPECT_EQ("System", capture.log().entries[0].tag);
  EXPECT_EQ(logger::LogError, capture.log().entries[0].level);
  EXPECT_EQ("Failed to call 'getProcessEnvironmentVariable'. Native error: 203", capture.log().entries[0].text);
}

TEST(ProcessEnvironmentTest, SetReadAndRemove) {
  ScopedEnv unset("VARKEL_TEST_VAR", nullptr);
  ScopedLogCapture capture;
  const QString longValue(5000, QLatin1Char('x'));
  QString value;
  ASSERT_EQ(0, setProcessEnvironmentVariable("VARKEL_TEST_VAR", longValue));
  ASSERT_EQ(0, getProcessEnvironmentVariable(value, "VARKEL_TEST_VAR"));
  EXPECT_EQ(longValue, value);
  EXPECT_EQ(longValue.toLatin1(), qgetenv("VARKEL_TEST_VAR"));  // children inherit it

  ASSERT_EQ(0, setProcessEnvironmentVariable("VARKEL_TEST_VAR", "caf\u00e9 \u20ac"));
  ASSERT_EQ(0, getProcessEnvironmentVariable(value, "VARKEL_TEST_VAR"));
  EXPECT_EQ(QString("caf\u00e9 \u20ac"), value);

  ASSERT_EQ(0, setProcessEnvironmentVariable("VARKEL_TEST_VAR", ""));
  EXPECT_FALSE(qEnvironmentVariableIsSet("VARKEL_TEST_VAR"));
  EXPECT_EQ(5, getProcessEnvironmentVariable(value, "VARKEL_TEST_VAR"));
  EXPECT_EQ(1u, capture.log().entries.size());
}

TEST(ProcessEnvironmentTest, EmptyAndUnusableNames) {
  ScopedLogCapture capture;
  QString value = "old";
  EXPECT_EQ(0, getProcessEnvironmentVariable(value, ""));
  EXPECT_EQ("", value);
  EXPECT_EQ(0, setProcessEnvironmentVariable("", "x"));
  EXPECT_TRUE(capture.log().entries.empty());

  // "A=B" would set A to "B=x" if passed on.
  ScopedEnv unsetA("VARKEL_TEST_A", nullptr);
  EXPECT_EQ(5, setProcessEnvironmentVariable("VARKEL_TEST_A=B", "x"));
  EXPECT_FALSE(qEnvironmentVariableIsSet("VARKEL_TEST_A"));
  EXPECT_EQ(5, getProcessEnvironmentVariable(value, "VARKEL_TEST_A=B"));
  EXPECT_EQ((QStringList{"Failed to call 'setProcessEnvironmentVariable'. Native error: 22",
                         "Failed to call 'getProcessEnvironmentVariable'. Native error: 203"}),
            capture.log().texts());
}

TEST(ProcessEnvironmentTest, ExpandReplacesKnownReferencesOnly) {
  ScopedEnv a("VARKEL_TEST_A", "one");
  ScopedEnv b("VARKEL_TEST_B", "two");
  ScopedEnv missing("VARKEL_TEST_NONE", nullptr);
  struct Case {
    const char* text;
    const char* expanded;
  };
  const Case cases[] = {
      {"x%VARKEL_TEST_A%y", "xoney"},
      {"%VARKEL_TEST_A%%VARKEL_TEST_B%", "onetwo"},
      {"%VARKEL_TEST_NONE%", "%VARKEL_TEST_NONE%"},
      // An unknown reference stays whole; its closing "%" opens nothing.
      {"%VARKEL_TEST_NONE%VARKEL_TEST_A%", "%VARKEL_TEST_NONE%VARKEL_TEST_A%"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"a %% b %VARKEL_TEST_B%", "a %% b two"},
      {"%VARKEL_TEST_B", "%VARKEL_TEST_B"},
      {"%varkel_test_a%", "%varkel_test_a%"},  // names are case-sensitive here
      {"no refs", "no refs"},
  };
  for (const Case& c : cases) {
    QString result;
    EXPECT_EQ(0, expandEnvironmentStrings(result, c.text));
    EXPECT_EQ(QString(c.expanded), result) << c.text;
  }
  QString path;
  ASSERT_EQ(0, expandEnvironmentStrings(path, "[%PATH%]"));
  EXPECT_EQ("[" + qEnvironmentVariable("PATH") + "]", path);
  QString empty = "old";
  EXPECT_EQ(0, expandEnvironmentStrings(empty, ""));
  EXPECT_EQ("", empty);
}

// Every test here points the system environment at a file of its own.
class SystemEnvironmentTest : public ::testing::Test {
 protected:
  SystemEnvironmentTest()
      : path_(dir_.filePath("environment")), env_("VARKEL_SYSTEM_ENVIRONMENT_FILE", path_.toLocal8Bit().constData()) {}

  static constexpr const char* kFixture =
      "# system-wide variables\n"
      "PATH=\"/usr/local/bin:/usr/bin\"\n"
      "\n"
      "LANG=C.UTF-8\n"
      "  # OLD=1\n"
      "TOOLS = %HOME%/tools\n"
      "QUOTED=\"a b\"\n"
      "EMPTY=\n"
      "TWICE=first\n"
      "TWICE=second\n";

  QTemporaryDir dir_;
  QString path_;
  ScopedEnv env_;
};

TEST_F(SystemEnvironmentTest, ReadsValuesAsWritten) {
  writeFile(path_, kFixture);
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"PATH", "/usr/local/bin:/usr/bin"},
      {"LANG", "C.UTF-8"},
      {"TOOLS", " %HOME%/tools"},
      {"QUOTED", "a b"},
      {"EMPTY", ""},
      {"TWICE", "second"},
  };
  ScopedLogCapture capture;
  for (const Case& c : cases) {
    QString value = "old";
    EXPECT_EQ(0, getSystemEnvironmentVariable(value, c.name)) << c.name;
    EXPECT_EQ(QString(c.value), value) << c.name;
  }
  EXPECT_TRUE(capture.log().entries.empty());
}

TEST_F(SystemEnvironmentTest, MissingNameOrFileFailsWithNativeError2) {
  ScopedLogCapture capture;
  QString value = "kept";
  EXPECT_EQ(5, getSystemEnvironmentVariable(value, "LANG"));  // no file yet
  writeFile(path_, kFixture);
  EXPECT_EQ(5, getSystemEnvironmentVariable(value, "OLD"));   // commented out
  EXPECT_EQ(5, getSystemEnvironmentVariable(value, "lang"));  // names are case-sensitive here
  EXPECT_EQ("kept", value);
  EXPECT_EQ(times(3, "Failed to call 'getSystemEnvironmentVariable'. Native error: 2"), capture.log().texts());
}

TEST_F(SystemEnvironmentTest, WriteKeepsEveryOtherLine) {
  writeFile(path_, kFixture);
  QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  ScopedEnv unset("NEW_ONE", nullptr);
  ASSERT_EQ(0, setSystemEnvironmentVariable("LANG", "de_DE.UTF-8"));
  ASSERT_EQ(0, setSystemEnvironmentVariable("TWICE", "third"));
  ASSERT_EQ(0, setSystemEnvironmentVariable("NEW_ONE", "x # y"));
  EXPECT_EQ(QByteArray("# system-wide variables\n"
                       "PATH=\"/usr/local/bin:/usr/bin\"\n"
                       "\n"
                       "LANG=de_DE.UTF-8\n"
                       "  # OLD=1\n"
                       "TOOLS = %HOME%/tools\n"
                       "QUOTED=\"a b\"\n"
                       "EMPTY=\n"
                       "TWICE=first\n"
                       "TWICE=third\n"
                       "NEW_ONE=\"x # y\"\n"),
            readFile(path_));

  QString value;
  ASSERT_EQ(0, getSystemEnvironmentVariable(value, "NEW_ONE"));
  EXPECT_EQ("x # y", value);
  EXPECT_FALSE(qEnvironmentVariableIsSet("NEW_ONE"));  // the process keeps its own
  EXPECT_EQ(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup,
            QFile::permissions(path_) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
  EXPECT_EQ(QStringList{"environment"}, QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden));
}

TEST_F(SystemEnvironmentTest, WriteCreatesTheFileAndEndsAnUnfinishedLine) {
  ASSERT_EQ(0, setSystemEnvironmentVariable("A", "1"));
  EXPECT_EQ(QByteArray("A=1\n"), readFile(path_));
  writeFile(path_, "A=1");
  ASSERT_EQ(0, setSystemEnvironmentVariable("B", ""));
  EXPECT_EQ(QByteArray("A=1\nB=\n"), readFile(path_));
  ASSERT_EQ(0, setSystemEnvironmentVariable("", "ignored"));
  EXPECT_EQ(QByteArray("A=1\nB=\n"), readFile(path_));
}

TEST_F(SystemEnvironmentTest, WriteThroughALinkReplacesTheFileItNames) {
  const QString real = dir_.filePath("real");
  writeFile(real, "A=1\n");
  ASSERT_TRUE(QFile::link(real, path_));
  ASSERT_EQ(0, setSystemEnvironmentVariable("A", "2"));
  EXPECT_TRUE(QFileInfo(path_).isSymLink());
  EXPECT_EQ(QByteArray("A=2\n"), readFile(real));
}

TEST_F(SystemEnvironmentTest, RefusedWriteIsLoggedAndChangesNothing) {
  // Below a regular file no file can be made, whoever asks.
  const QString blocker = dir_.filePath("blocker");
  writeFile(blocker, "not a directory\n");
  {
    ScopedEnv below("VARKEL_SYSTEM_ENVIRONMENT_FILE", (blocker + "/environment").toLocal8Bit().constData());
    ScopedLogCapture capture;
    EXPECT_EQ(5, setSystemEnvironmentVariable("A", "1"));
    EXPECT_EQ(QStringList{"Failed to call 'setSystemEnvironmentVariable'. Native error: 20"}, capture.log().texts());
    EXPECT_EQ(QByteArray("not a directory\n"), readFile(blocker));
  }

  // A line break would smuggle a second variable into the file.
  writeFile(path_, kFixture);
  ScopedLogCapture capture;
  EXPECT_EQ(5, setSystemEnvironmentVariable("LANG", "C\nLD_PRELOAD=/tmp/x.so"));
  EXPECT_EQ(5, setSystemEnvironmentVariable("BAD=NAME", "1"));
  EXPECT_EQ(times(2, "Failed to call 'setSystemEnvironmentVariable'. Native error: 22"), capture.log().texts());
  EXPECT_EQ(QByteArray(kFixture), readFile(path_));
  EXPECT_EQ((QStringList{"blocker", "environment"}), QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden));
}

// A file with two names is written itself; when even its old text cannot be written
// back, a second line names the file.
TEST_F(SystemEnvironmentTest, AFailedWriteThatLeftNeitherTextSaysSo) {
  writeFile(path_, kFixture);
  ASSERT_EQ(0, ::link(path_.toLocal8Bit().constData(), dir_.filePath("again").toLocal8Bit().constData()));
  ScopedLogCapture capture;
  {
    const auto space = testing_support::ScopedDiskSpace::failingAfter(2);
    EXPECT_EQ(5, setSystemEnvironmentVariable("LANG", "de_DE.UTF-8"));
  }
  EXPECT_EQ((QStringList{"Failed to call 'setSystemEnvironmentVariable'. Native error: 28",
                         "The old text of '" + path_ + "' could not be put back."}),
            capture.log().texts());
}

TEST_F(SystemEnvironmentTest, ALockThatCannotBeHadNamesTheFile) {
  writeFile(path_, kFixture);
  QFile other(path_);
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  ASSERT_EQ(0, platform::tryFileLock(other.handle(), platform::FileLock::Exclusive));
  platform::setSystemEnvironmentLockWaitForTesting(100);
  ScopedLogCapture capture;
  EXPECT_EQ(5, setSystemEnvironmentVariable("LANG", "de_DE.UTF-8"));
  platform::setSystemEnvironmentLockWaitForTesting(platform::kSystemEnvironmentLockWaitMs);
  EXPECT_EQ((QStringList{"Failed to call 'setSystemEnvironmentVariable'. Native error: 110",
                         "Cannot lock the system environment file '" + path_ +
                             "': another process held it for 100 ms."}),
            capture.log().texts());
  EXPECT_EQ(QByteArray(kFixture), readFile(path_));
}

}  // namespace
