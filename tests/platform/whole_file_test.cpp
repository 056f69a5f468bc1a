#include "platform/whole_file.h"

#include "platform/file_io.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Writes of the platform layer fail with ENOSPC after this many bytes, within the scope.
class ScopedDiskSpace {
 public:
  explicit ScopedDiskSpace(long long bytes) { platform::setWriteBudgetForTesting(bytes); }
  ~ScopedDiskSpace() { platform::setWriteBudgetForTesting(-1); }
  ScopedDiskSpace(const ScopedDiskSpace&) = delete;
  ScopedDiskSpace& operator=(const ScopedDiskSpace&) = delete;
};

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

const QFile::Permissions kModeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                     QFile::ExeOther;
const QFile::Permissions kOddMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup;

// A disk that fills up part-way through: whatever was there before is there after, and
// nothing else; the failure is the disk's.
TEST(WholeFileTest, AWriteThatRunsOutOfSpaceLeavesTheFileAsItWas) {
  using Write = unsigned (*)(const QString&, const QByteArray&, platform::WriteStep&);
  const struct {
    const char* name;
    Write write;
    const char* before;  // null: no file
  } cases[] = {
      {"replace", platform::writeWholeFile, "old content\n"},
      {"replace a missing file", platform::writeWholeFile, nullptr},
      {"append", platform::appendToFile, "old content\n"},
      {"append to a missing file", platform::appendToFile, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString file = dir.filePath("f.txt");
    if (c.before) {
      writeFile(file, c.before);
      ASSERT_TRUE(QFile::setPermissions(file, kOddMode));
    }
    platform::WriteStep failedAt = platform::WriteStep::Open;
    unsigned code;
    {
      ScopedDiskSpace space(5);
      code = c.write(file, "new text, longer than the space left", failedAt);
    }
    EXPECT_EQ(unsigned(ENOSPC), code);
    EXPECT_EQ(platform::WriteStep::Write, failedAt);
    EXPECT_EQ(c.before ? QStringList{"f.txt"} : QStringList(), entriesOf(dir.path()));
    if (c.before) {
      EXPECT_EQ(c.before, readFile(file));
      EXPECT_EQ(kOddMode, QFile::permissions(file) & kModeBits);
    }
  }
}

TEST(WholeFileTest, ReplacingKeepsTheModeAndLinksAndAppendingAddsAtTheEnd) {
  QTemporaryDir dir;
  const QString file = dir.filePath("f.txt");
  writeFile(file, "old\n");
  ASSERT_TRUE(QFile::setPermissions(file, kOddMode));
  ASSERT_TRUE(QFile::link(file, dir.filePath("link.txt")));
  ASSERT_TRUE(QFile::link(dir.filePath("later.txt"), dir.filePath("dangling.txt")));
  platform::WriteStep failedAt;
  ASSERT_EQ(0u, platform::writeWholeFile(dir.filePath("link.txt"), "new\n", failedAt));
  ASSERT_EQ(0u, platform::appendToFile(dir.filePath("link.txt"), "more", failedAt));
  ASSERT_EQ(0u, platform::appendToFile(dir.filePath("made.txt"), "made", failedAt));
  ASSERT_EQ(0u, platform::writeWholeFile(dir.filePath("dangling.txt"), "through", failedAt));
  EXPECT_EQ("new\nmore", readFile(file));
  EXPECT_EQ(kOddMode, QFile::permissions(file) & kModeBits);
  EXPECT_EQ("made", readFile(dir.filePath("made.txt")));
  EXPECT_EQ("through", readFile(dir.filePath("later.txt")));
  for (const char* link : {"link.txt", "dangling.txt"}) EXPECT_TRUE(QFileInfo(dir.filePath(link)).isSymLink()) << link;
  EXPECT_EQ((QStringList{"dangling.txt", "f.txt", "later.txt", "link.txt", "made.txt"}), entriesOf(dir.path()));
}

// What cannot be written is refused before anything changes, and a pipe without a reader
// is not waited on.
TEST(WholeFileTest, WhatCannotBeWrittenIsRefusedAtTheOpen) {
  QTemporaryDir dir;
  ASSERT_TRUE(testing_support::makeFifo(dir.filePath("pipe")));
  writeFile(dir.filePath("read-only.txt"), "kept");
  ASSERT_TRUE(QFile::setPermissions(dir.filePath("read-only.txt"), QFile::ReadOwner));
  // Root writes whatever the mode says.
  const bool readOnly = !QFileInfo(dir.filePath("read-only.txt")).isWritable();
  for (auto write : {platform::writeWholeFile, platform::appendToFile}) {
    platform::WriteStep failedAt = platform::WriteStep::Write;
    EXPECT_EQ(unsigned(ENXIO), write(dir.filePath("pipe"), "x", failedAt));
    EXPECT_EQ(platform::WriteStep::Open, failedAt);
    EXPECT_EQ(unsigned(ENOENT), write(dir.filePath("no/such/dir/f.txt"), "x", failedAt));
    EXPECT_EQ(platform::WriteStep::Open, failedAt);
    if (readOnly) {
      EXPECT_EQ(unsigned(EACCES), write(dir.filePath("read-only.txt"), "x", failedAt));
      EXPECT_EQ(platform::WriteStep::Open, failedAt);
    }
  }
  EXPECT_EQ("kept", readFile(dir.filePath("read-only.txt")));
  EXPECT_EQ((QStringList{"pipe", "read-only.txt"}), entriesOf(dir.path()));
}

TEST(WholeFileTest, ReplaceKeepsModeAndNamesLongerThanATemporaryNameAllows) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QString(250, 'v') + ".h");
  writeFile(file, "old content that is longer\n");
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup));
  ASSERT_EQ(0u, platform::replaceFile(file, "new\n"));
  EXPECT_EQ("new\n", readFile(file));
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
  const QByteArray before = readFile("/proc/version");
  const unsigned code = platform::replaceFile("/proc/version", "#pragma once\n");
  EXPECT_NE(0u, code);
  EXPECT_FALSE(platform::fileErrorText(code).isEmpty());
  EXPECT_EQ(before, readFile("/proc/version"));
}

}  // namespace
