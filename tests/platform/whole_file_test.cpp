#include "platform/whole_file.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;
using testing_support::writeFile;

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
