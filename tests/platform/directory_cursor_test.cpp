// The cursor through which the walks move down and up a tree by names.

#include "e2e/raw_tree.h"
#include "platform/directory_cursor.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <vector>

namespace {

using platform::DirectoryCursor;

int openDescriptors() {
  return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

QStringList listed(DirectoryCursor& cursor) {
  std::vector<platform::DirEntry> entries;
  QStringList out;
  if (platform::listDirectory(cursor, false, entries) != 0) return {"<unlisted>"};
  for (const platform::DirEntry& entry : entries) out << entry.name;
  out.sort();
  return out;
}

// 40 levels of 200 characters: twice what a path may hold.
TEST(DirectoryCursor, GoesPastAnyPathLengthHoldingOneDescriptor) {
  QTemporaryDir dir;
  const QByteArray root = QFile::encodeName(dir.path());
  raw_tree::Names names;
  for (int i = 0; i < 40; ++i) names << QByteArray(200, static_cast<char>('a' + i % 26));
  ASSERT_TRUE(raw_tree::writeBelow(root, names, "bottom.txt", "deep"));
  const int before = openDescriptors();

  DirectoryCursor cursor(dir.path(), true);
  for (const QByteArray& name : names) {
    ASSERT_EQ(QStringList{QString::fromLatin1(name)}, listed(cursor)) << cursor.depth();
    cursor.enter(QString::fromLatin1(name));
  }
  EXPECT_EQ(QStringList{"bottom.txt"}, listed(cursor));
  EXPECT_TRUE(platform::fileIdAt(cursor, "bottom.txt", false).valid);
  // Made below by names, as a copy makes its target tree.
  cursor.enter("new");
  cursor.enter("newer");
  bool made = false;
  ASSERT_EQ(0, cursor.make(&made));
  EXPECT_TRUE(made);
  ASSERT_EQ(0, cursor.make(&made));
  EXPECT_FALSE(made);
  EXPECT_LE(openDescriptors(), before + 1);

  while (cursor.depth() > 0) cursor.leave();
  EXPECT_EQ(QStringList{QString::fromLatin1(names[0])}, listed(cursor));
  EXPECT_LE(openDescriptors(), before + 1);
  EXPECT_EQ((raw_tree::Names{"bottom.txt", "new/"}), raw_tree::entriesBelow(root, names));
  raw_tree::removeAll(dir.path());
}

// The walk goes on in the directory it came down from, not in the one that now holds
// the directory it leaves.
TEST(DirectoryCursor, AStepUpOutOfADirectoryMovedAwayTakesTheNamesAgain) {
  QTemporaryDir dir;
  testing_support::writeFile(dir.filePath("a/keep.txt"), "k");
  ASSERT_TRUE(QDir(dir.path()).mkpath("a/b"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("elsewhere"));
  DirectoryCursor cursor(dir.path(), true);
  cursor.enter("a");
  cursor.enter("b");
  ASSERT_GE(cursor.fd(), 0);
  ASSERT_TRUE(QDir(dir.path()).rename("a/b", "elsewhere/b"));
  cursor.leave();
  EXPECT_EQ(QStringList{"keep.txt"}, listed(cursor));
}

TEST(DirectoryCursor, GoesNoDeeperThanItsBound) {
  QTemporaryDir dir;
  DirectoryCursor cursor(dir.path(), true);
  for (int i = 0; i < platform::kMaxWalkDepth; ++i) cursor.enter("d");
  int error = 0;
  EXPECT_EQ(-1, cursor.fd(&error));
  EXPECT_EQ(ENOENT, error) << "at the bound the name is looked for";
  cursor.enter("d");
  EXPECT_EQ(-1, cursor.fd(&error));
  EXPECT_EQ(ENAMETOOLONG, error);
  EXPECT_EQ(ENAMETOOLONG, cursor.make());
  EXPECT_EQ(QStringList{}, QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
}

}  // namespace
