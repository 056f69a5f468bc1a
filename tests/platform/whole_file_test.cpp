#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(content);
}

TEST(WholeFileTest, ReadTakesRegularFilesOnly) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(0, QProcess::execute("mkfifo", {fifo}));
  writeFile(dir.filePath("plain"), "abc");
  const struct {
    QString path;
    unsigned code;
    QByteArray content;
  } cases[] = {
      {dir.filePath("plain"), 0, "abc"},
      {dir.path(), platform::kErrorNotRegularFile, ""},
      {fifo, platform::kErrorNotRegularFile, ""},  // and no wait for a writer
      {"/dev/null", platform::kErrorNotRegularFile, ""},
      {dir.filePath("missing"), ENOENT, ""},
  };
  for (const auto& c : cases) {
    QByteArray content = "old";
    EXPECT_EQ(c.code, platform::readRegularFile(c.path, 100, content)) << qPrintable(c.path);
    EXPECT_EQ(c.content, content) << qPrintable(c.path);
  }
  EXPECT_EQ("not a regular file", platform::fileErrorText(platform::kErrorNotRegularFile));
}

TEST(WholeFileTest, ReadStopsAtTheLimit) {
  QTemporaryDir dir;
  writeFile(dir.filePath("f"), QByteArray(20000, 'x'));
  QByteArray content;
  EXPECT_EQ(0u, platform::readRegularFile(dir.filePath("f"), 20000, content));
  EXPECT_EQ(20000, content.size());
  EXPECT_EQ(unsigned(EFBIG), platform::readRegularFile(dir.filePath("f"), 19999, content));
  EXPECT_TRUE(content.isEmpty());
  // Files of the kernel report no size but still have their bytes read.
  EXPECT_EQ(0u, platform::readRegularFile("/proc/self/status", 1 << 20, content));
  EXPECT_TRUE(content.startsWith("Name:"));
}

TEST(WholeFileTest, ReplaceKeepsModeAndNamesLongerThanATemporaryNameAllows) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QString(250, 'v') + ".h");
  writeFile(file, "old content that is longer\n");
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup));
  ASSERT_EQ(0u, platform::replaceFile(file, "new\n"));
  QFile read(file);
  ASSERT_TRUE(read.open(QIODevice::ReadOnly));
  EXPECT_EQ("new\n", read.readAll());
  const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                      QFile::ExeOther;
  EXPECT_EQ(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup,
            QFile::permissions(file) & modeBits);
  EXPECT_EQ(1u, QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size());
}

// Even root cannot make a file among the kernel's: the replacement fails before it
// touches the old file.
TEST(WholeFileTest, ReplaceFailsWhereNoTemporaryFileCanBeMade) {
  QByteArray before;
  ASSERT_EQ(0u, platform::readRegularFile("/proc/version", 1 << 20, before));
  const unsigned code = platform::replaceFile("/proc/version", "#pragma once\n");
  EXPECT_NE(0u, code);
  EXPECT_FALSE(platform::fileErrorText(code).isEmpty());
  QByteArray after;
  ASSERT_EQ(0u, platform::readRegularFile("/proc/version", 1 << 20, after));
  EXPECT_EQ(before, after);
}

}  // namespace
