#include "core/file_utils.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>

namespace {

class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    root_ = tmp_.path();
    ASSERT_TRUE(QDir(root_).mkdir("dir"));
    writeFile("file.txt");
  }
  QString at(const QString& rel) const { return root_ + "/" + rel; }
  void writeFile(const QString& rel, const QByteArray& content = "x") { testing_support::writeFile(at(rel), content); }
  QByteArray read(const QString& rel) const { return testing_support::readFile(at(rel)); }
  // Every entry of a directory, dot-files included: what a copy may have left behind.
  QStringList allEntries(const QString& rel) const {
    return QDir(at(rel)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                   QDir::Name);
  }
  QStringList names(const std::vector<platform::DirEntry>& entries) const {
    QStringList out;
    for (const auto& e : entries) out << e.name;
    return out;
  }

  QTemporaryDir tmp_;
  QString root_;
};

TEST_F(FileUtilsTest, ExistenceTests) {
  const struct {
    const char* name;
    QString path;
    bool dir;
    bool any;
  } cases[] = {
      {"empty path", "", false, false},
      {"directory", at("dir"), true, true},
      {"directory with backslashes", QString(at("dir")).replace('/', '\\'), true, true},
      {"file", at("file.txt"), false, true},
      {"missing", at("missing"), false, false},
      {"case differs", at("DIR"), false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.dir, dirExists(c.path)) << c.name;
    EXPECT_EQ(c.any, fileExists(c.path)) << c.name;
  }
}

TEST_F(FileUtilsTest, MakePathAndMakeParentPath) {
  EXPECT_FALSE(makePath(""));
  EXPECT_TRUE(makePath(at("dir")));
  EXPECT_TRUE(makePath(at("new\\deep/er")));
  EXPECT_TRUE(QFileInfo(at("new/deep/er")).isDir());
  EXPECT_FALSE(makePath(at("file.txt")));  // a file is in the way

  const QString savedCwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(at("dir")));
  EXPECT_TRUE(makePath("rel/sub"));
  QDir::setCurrent(savedCwd);
  EXPECT_TRUE(QFileInfo(at("dir/rel/sub")).isDir());

  EXPECT_FALSE(makeParentPath(""));
  EXPECT_TRUE(makeParentPath(at("file.txt")));
  EXPECT_TRUE(makeParentPath(at("p/q/out.log")));
  EXPECT_TRUE(QFileInfo(at("p/q")).isDir());
  EXPECT_FALSE(QFileInfo::exists(at("p/q/out.log")));
}

TEST_F(FileUtilsTest, RemoveFile) {
  writeFile("readonly.txt");
  ASSERT_TRUE(QFile::setPermissions(at("readonly.txt"), QFile::ReadOwner));
  writeFile("target.txt");
  ASSERT_TRUE(QFile::setPermissions(at("target.txt"), QFile::ReadOwner));
  ASSERT_TRUE(QFile::link(at("target.txt"), at("link")));
  ASSERT_TRUE(QFile::link(at("gone"), at("dangling")));

  EXPECT_TRUE(removeFile(at("missing")));
  EXPECT_TRUE(removeFile(at("file.txt")));
  EXPECT_FALSE(QFileInfo::exists(at("file.txt")));
  EXPECT_TRUE(removeFile(at("readonly.txt")));
  EXPECT_FALSE(QFileInfo::exists(at("readonly.txt")));

  EXPECT_FALSE(removeFile(at("dir")));
  EXPECT_TRUE(QFileInfo(at("dir")).isDir());

  // A link goes; its target keeps its content and its permissions.
  EXPECT_TRUE(removeFile(at("link")));
  EXPECT_FALSE(QFileInfo(at("link")).isSymLink());
  EXPECT_EQ(QFile::ReadOwner, QFile::permissions(at("target.txt")) & (QFile::ReadOwner | QFile::WriteOwner));
  EXPECT_TRUE(removeFile(at("dangling")));
  EXPECT_FALSE(QFileInfo(at("dangling")).isSymLink());
}

// What a job names for reading must be a regular file; anything else is refused at
// once, without waiting on a FIFO that nobody writes.
TEST_F(FileUtilsTest, OnlyRegularFilesOpenForReading) {
  ASSERT_TRUE(testing_support::makeFifo(at("fifo")));
  ASSERT_TRUE(QFile::link(at("file.txt"), at("link-to-file")));
  ASSERT_TRUE(QFile::link(at("fifo"), at("link-to-fifo")));
  const struct {
    const char* name;
    QString path;
    ReadOpenResult result;
  } cases[] = {
      {"regular file", at("file.txt"), ReadOpenResult::Opened},
      {"link to a regular file", at("link-to-file"), ReadOpenResult::Opened},
      {"with backslashes", QString(at("file.txt")).replace('/', '\\'), ReadOpenResult::Opened},
      {"FIFO", at("fifo"), ReadOpenResult::NotRegularFile},
      {"link to a FIFO", at("link-to-fifo"), ReadOpenResult::NotRegularFile},
      {"directory", at("dir"), ReadOpenResult::NotRegularFile},
      {"device", "/dev/null", ReadOpenResult::NotRegularFile},
      {"missing", at("absent"), ReadOpenResult::CannotOpen},
      {"empty path", "", ReadOpenResult::CannotOpen},
  };
  for (const auto& c : cases) {
    QFile file;
    EXPECT_EQ(c.result, openRegularFile(file, c.path, QIODevice::ReadOnly)) << c.name;
    EXPECT_EQ(c.result == ReadOpenResult::Opened, isRegularFile(c.path)) << c.name;
    if (c.result == ReadOpenResult::Opened) {
      EXPECT_EQ(QByteArray("x"), file.readAll()) << c.name;
    }
    // Read whole the same way.
    QByteArray content = "untouched";
    EXPECT_EQ(c.result, readRegularFile(c.path, 1, content)) << c.name;
    EXPECT_EQ(c.result == ReadOpenResult::Opened ? QByteArray("x") : QByteArray("untouched"), content) << c.name;
  }
  QByteArray content;
  EXPECT_EQ(ReadOpenResult::TooLarge, readRegularFile(at("file.txt"), 0, content));
  EXPECT_TRUE(content.isEmpty());
  const QByteArray longer(100000, 'y');
  testing_support::writeFile(at("longer.txt"), longer);
  EXPECT_EQ(ReadOpenResult::Opened, readRegularFile(at("longer.txt"), longer.size(), content));
  EXPECT_EQ(longer, content);
  EXPECT_EQ(ReadOpenResult::TooLarge, readRegularFile(at("longer.txt"), longer.size() - 1, content));
  EXPECT_EQ("Failed to open file: 'f'. It is too large to be read.", openFailureText("f", ReadOpenResult::TooLarge));
  EXPECT_EQ("Failed to open file: 'f'. It is not a regular file.",
            openFailureText("f", ReadOpenResult::NotRegularFile));
  EXPECT_EQ("Failed to open file: 'f'", openFailureText("f", ReadOpenResult::CannotOpen));
}

// Copies go through a file without a name where the system allows it, else through a
// named temporary file: every copy test runs both ways.
class FileCopyTest : public FileUtilsTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    FileUtilsTest::SetUp();
    platform::allowUnnamedCopyFiles(GetParam());
  }
  void TearDown() override { platform::allowUnnamedCopyFiles(true); }
};

INSTANTIATE_TEST_SUITE_P(Unnamed, FileCopyTest, ::testing::Values(true));
INSTANTIATE_TEST_SUITE_P(Named, FileCopyTest, ::testing::Values(false));

TEST_P(FileCopyTest, CopyReplacesTheTargetWholeAndKeepsThePermissionBits) {
  writeFile("tool.sh", "#!/bin/sh\n");
  ASSERT_TRUE(QFile::setPermissions(at("tool.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadGroup | QFile::ExeGroup));
  EXPECT_EQ(0, copyFileSafely(at("tool.sh"), at("dir/tool.sh"), false, nullptr));
  EXPECT_EQ("#!/bin/sh\n", read("dir/tool.sh"));
  EXPECT_EQ(QFile::permissions(at("tool.sh")), QFile::permissions(at("dir/tool.sh")));
  // Bits that the process's umask would take stay too.
  writeFile("shared.txt", "s");
  const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
  ASSERT_TRUE(QFile::setPermissions(at("shared.txt"), everyone));
  EXPECT_EQ(0, copyFileSafely(at("shared.txt"), at("dir/shared.txt"), false, nullptr));
  EXPECT_EQ(everyone, QFile::permissions(at("dir/shared.txt")) & ~(QFile::ReadUser | QFile::WriteUser));

  // A read-only target is replaced; a link at the target is replaced, not written through.
  writeFile("dir/old.txt", "old");
  ASSERT_TRUE(QFile::setPermissions(at("dir/old.txt"), QFile::ReadOwner));
  EXPECT_EQ(0, copyFileSafely(at("file.txt"), at("dir/old.txt"), false, nullptr));
  EXPECT_EQ("x", read("dir/old.txt"));
  writeFile("outside.txt", "outside");
  ASSERT_TRUE(QFile::link(at("outside.txt"), at("dir/link.txt")));
  EXPECT_EQ(0, copyFileSafely(at("file.txt"), at("dir/link.txt"), false, nullptr));
  EXPECT_FALSE(QFileInfo(at("dir/link.txt")).isSymLink());
  EXPECT_EQ("x", read("dir/link.txt"));
  EXPECT_EQ("outside", read("outside.txt"));

  // A link copied as the link keeps its text, even when it leads nowhere.
  ASSERT_TRUE(QFile::link("../nowhere", at("dangling")));
  EXPECT_EQ(0, copyFileSafely(at("dangling"), at("dir/dangling"), true, nullptr));
  EXPECT_EQ(root_ + "/nowhere", QFile::symLinkTarget(at("dir/dangling")));
  EXPECT_EQ((QStringList{"dangling", "link.txt", "old.txt", "shared.txt", "tool.sh"}), allEntries("dir"));
}

TEST_P(FileCopyTest, AFailedCopyLeavesTheTargetAsItWasAndNoTemporaryFile) {
  writeFile("dir/target.txt", "keep");
  // A file whose reading fails halfway: the process's own memory at address 0.
  EXPECT_NE(0, copyFileSafely("/proc/self/mem", at("dir/target.txt"), false, nullptr));
  EXPECT_EQ("keep", read("dir/target.txt"));
  // The rename over a directory fails after the data was written.
  ASSERT_TRUE(QDir(at("dir")).mkpath("sub/inner"));
  EXPECT_NE(0, copyFileSafely(at("file.txt"), at("dir/sub"), false, nullptr));
  EXPECT_TRUE(QFileInfo(at("dir/sub/inner")).isDir());
  EXPECT_NE(0, copyFileSafely(at("missing"), at("dir/target.txt"), false, nullptr));
  EXPECT_NE(0, copyFileSafely(at("dir"), at("dir/target.txt"), false, nullptr));
  EXPECT_EQ("keep", read("dir/target.txt"));
  EXPECT_EQ((QStringList{"sub", "target.txt"}), allEntries("dir"));
}

TEST_P(FileCopyTest, AStoppedCopyLeavesTheTargetAsItWas) {
  const std::atomic<bool> stop{true};
  writeFile("dir/old.txt", "old");
  EXPECT_EQ(ECANCELED, copyFileSafely(at("file.txt"), at("dir/old.txt"), false, &stop));
  EXPECT_EQ(ECANCELED, copyFileSafely(at("file.txt"), at("dir/new.txt"), false, &stop));
  EXPECT_EQ("old", read("dir/old.txt"));
  EXPECT_EQ(QStringList{"old.txt"}, allEntries("dir"));
}

TEST_F(FileUtilsTest, SameFileByAnySpelling) {
  writeFile("other.txt");
  ASSERT_TRUE(QFile::link(at("file.txt"), at("link.txt")));
  ASSERT_TRUE(QDir(root_).mkpath("a/b"));
  ASSERT_TRUE(QFile::link(at("a/b"), at("blink")));
  const struct {
    const char* name;
    QString a;
    QString b;
    bool same;
  } cases[] = {
      {"equal", at("file.txt"), at("file.txt"), true},
      {"dot and double separators", at("file.txt"), root_ + "/dir/..//./file.txt", true},
      {"backslashes", at("file.txt"), QString(at("file.txt")).replace('/', '\\'), true},
      {"through a link", at("link.txt"), at("file.txt"), true},
      {"dot-dot after a link is taken where the link leads", at("blink/../file.txt"), at("file.txt"), false},
      {"dot-dot after a link, same place", at("blink/../b"), at("a/b"), true},
      {"other file", at("other.txt"), at("file.txt"), false},
      {"case differs", at("FILE.txt"), at("file.txt"), false},
      {"missing", at("missing"), at("missing2"), false},
      {"empty", "", at("file.txt"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.same, isSameFile(c.a, c.b)) << c.name;
}

TEST_F(FileUtilsTest, ListingIsSortedIgnoringCaseWithoutDotFilesAndNeverEntersALink) {
  for (const char* name : {"b.txt", "A.txt", "c.TXT", ".hidden"}) writeFile(QString("dir/") + name);
  ASSERT_TRUE(QDir(at("dir")).mkdir("B"));
  ASSERT_TRUE(QFile::link(at("dir"), at("dir/zlink")));
  const auto list = [](const QString& path, bool isRoot, std::vector<platform::DirEntry>& entries) {
    WalkDirectory dir(path, isRoot);
    return listDirectorySorted(dir, entries);
  };
  std::vector<platform::DirEntry> entries;
  ASSERT_EQ(0, list(at("dir"), false, entries));
  EXPECT_EQ((QStringList{"A.txt", "B", "b.txt", "c.TXT", "zlink"}), names(entries));
  EXPECT_EQ(platform::EntryKind::Directory, entries[1].kind);
  EXPECT_EQ(platform::EntryKind::File, entries[2].kind);
  EXPECT_EQ(platform::EntryKind::Link, entries[4].kind);

  // A walk's root may be reached through a link; a step down never is.
  EXPECT_EQ(0, list(at("dir/zlink"), true, entries));
  EXPECT_EQ(5u, entries.size());
  WalkDirectory walk(at("dir"), false);
  walk.enter("zlink");
  EXPECT_NE(0, listDirectorySorted(walk, entries));
  EXPECT_NE(0, list(at("dir/zlink"), false, entries));
  EXPECT_NE(0, list(at("file.txt"), true, entries));
  EXPECT_NE(0, list(at("missing"), true, entries));
  EXPECT_TRUE(entries.empty());
}

TEST_F(FileUtilsTest, RemovingATreeRemovesLinksAsLinks) {
  ASSERT_TRUE(QDir(root_).mkpath("tree/a/b"));
  ASSERT_TRUE(QDir(root_).mkpath("outside/keep"));
  writeFile("outside/keep/file.txt");
  writeFile("tree/a/b/.hidden");
  writeFile("tree/a/readonly.txt");
  ASSERT_TRUE(QFile::setPermissions(at("tree/a/readonly.txt"), QFile::ReadOwner));
  ASSERT_TRUE(QFile::link(at("outside"), at("tree/a/dirlink")));
  ASSERT_TRUE(QFile::link(at("outside/keep/file.txt"), at("tree/filelink")));
  ASSERT_TRUE(QFile::link(root_, at("tree/a/b/up")));  // a link to an ancestor

  EXPECT_TRUE(removeDirectoryTree(at("tree")));
  EXPECT_FALSE(QFileInfo::exists(at("tree")));
  EXPECT_EQ("x", read("outside/keep/file.txt"));
  EXPECT_TRUE(removeDirectoryTree(at("tree")));  // nothing there

  // A link to a directory given as the tree goes alone.
  ASSERT_TRUE(QFile::link(at("outside"), at("toplink")));
  EXPECT_TRUE(removeDirectoryTree(at("toplink")));
  EXPECT_FALSE(QFileInfo(at("toplink")).isSymLink());
  EXPECT_EQ("x", read("outside/keep/file.txt"));
}

TEST_F(FileUtilsTest, ARenameOverADirectoryPutsItBackWhenItFails) {
  ASSERT_TRUE(QDir(root_).mkpath("from/sub"));
  ASSERT_TRUE(QDir(root_).mkpath("to/old"));
  EXPECT_NE(0, renameDirectoryReplacing(at("missing"), at("to")));
  EXPECT_TRUE(QFileInfo(at("to/old")).isDir());
  EXPECT_EQ((QStringList{"dir", "file.txt", "from", "to"}), allEntries(""));

  EXPECT_EQ(0, renameDirectoryReplacing(at("from"), at("to")));
  EXPECT_TRUE(QFileInfo(at("to/sub")).isDir());
  EXPECT_FALSE(QFileInfo::exists(at("to/old")));
  EXPECT_EQ((QStringList{"dir", "file.txt", "to"}), allEntries(""));
}

TEST_F(FileUtilsTest, AncestorsAndProtectedPlaces) {
  ASSERT_TRUE(QDir(root_).mkpath("a/b"));
  ASSERT_TRUE(QFile::link(at("a/b"), at("blink")));
  const struct {
    const char* name;
    QString dir;
    QString path;
    bool result;
  } cases[] = {
      {"same", at("a"), at("a"), true},
      {"parent", at("a"), at("a/b/c"), true},
      {"prefix only", at("a"), root_ + "/ab", false},
      {"child", at("a/b"), at("a"), false},
      {"root", "/", at("a"), true},
      {"through a link", at("a"), at("blink"), true},
      {"dot-dot", at("a/b/.."), at("a/x"), true},
      {"empty", "", at("a"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, isSameOrAncestorDir(c.dir, c.path)) << c.name;

  EXPECT_EQ("the file-system root", protectedPlaceIn("/", QString()));
  EXPECT_EQ("the home directory", protectedPlaceIn(QDir::homePath(), QString()));
  EXPECT_EQ("a top-level directory of the system", protectedPlaceIn("/no-such-top-level-dir", QString()));
  EXPECT_EQ("a top-level directory of the system", protectedPlaceIn("//opt/x/..", QString()));
  EXPECT_EQ("the job file's directory", protectedPlaceIn(at("a"), at("a/b/")));
  EXPECT_EQ("", protectedPlaceIn(at("a"), at("dir")));
  const QString savedCwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(at("a/b")));
  EXPECT_EQ("the current directory", protectedPlaceIn(at("a"), QString()));
  QDir::setCurrent(savedCwd);
}

}  // namespace
