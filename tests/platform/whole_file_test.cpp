#include "platform/whole_file.h"

#include "fake_disk.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <iostream>

namespace {

using testing_support::readFile;
using testing_support::ScopedDiskSpace;
using testing_support::writeFile;

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
      const auto space = ScopedDiskSpace::full(5);
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

// Runs a shell command with $F and $G standing for the two paths; its standard output,
// or a null array when it fails (a tool or a file system's support missing).
QByteArray shell(const QString& command, const QString& f, const QString& g = QString()) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("F", f);
  env.insert("G", g);
  p.setProcessEnvironment(env);
  p.start("sh", {"-c", command});
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return QByteArray();
  const QByteArray out = p.readAllStandardOutput().trimmed();
  return out.isNull() ? QByteArray("") : out;
}

bool isRoot() { return shell("id -u", QString()) == "0"; }

// A rewrite leaves the file the file it was, by a new file that takes everything of the
// old one or, where none could, by writing the file itself.
TEST(WholeFileTest, ARewrittenFileStaysTheFileItWas) {
  const struct {
    const char* name;
    const char* setup;  // G: a second path in the same directory
    const char* check;
    const char* expected;
    bool needsRoot;
  } cases[] = {
      {"two names", "ln $F $G", "cat $G", "new", false},
      {"setuid", "chmod 4755 $F", "stat -c %a $F", "4755", true},
      {"setgid with another group", "chown 0:65534 $F && chmod 2750 $F", "stat -c %a:%g $F", "2750:65534", true},
      {"another owner", "chown 65534:65534 $F", "stat -c %u:%g $F", "65534:65534", true},
      {"an extended attribute", "setfattr -n user.x -v kept $F", "getfattr --only-values -n user.x $F", "kept", false},
      {"an ACL", "setfacl -m u:65534:rw $F", "getfacl -n -c $F | grep '^user:65534'", "user:65534:rw-", false},
  };
  const bool root = isRoot();
  using Write = unsigned (*)(const QString&, const QByteArray&, platform::WriteStep&);
  // The version files and the system-environment file take the same way as writefile.
  const Write replace = [](const QString& path, const QByteArray& content, platform::WriteStep& failedAt) {
    return platform::replaceFile(path, content, failedAt);
  };
  for (Write write : {Write(platform::writeWholeFile), replace}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      if (c.needsRoot && !root) continue;
      QTemporaryDir dir;
      const QString f = dir.filePath("f.txt");
      const QString g = dir.filePath("g.txt");
      writeFile(f, "old text, longer than the new\n");
      if (shell(c.setup, f, g).isNull()) {
        std::cout << "[ SKIPPED  ] " << c.name << ": '" << c.setup << "' is not possible here\n";
        continue;
      }
      platform::WriteStep failedAt;
      ASSERT_EQ(0u, write(f, "new", failedAt));
      EXPECT_EQ("new", readFile(f));
      EXPECT_EQ(c.expected, shell(c.check, f, g));
      const QStringList names = QFile::exists(g) ? QStringList{"f.txt", "g.txt"} : QStringList{"f.txt"};
      EXPECT_EQ(names, entriesOf(dir.path()));
    }
  }
}

// The file written itself keeps its text in the blocks it holds: a shorter text fits on a
// full disk, and a longer one that does not fit leaves the old text under both names.
// Where even the old text cannot be written back, the failure says so. One too large to
// keep is refused before it is touched.
TEST(WholeFileTest, AFileWrittenItselfGetsItsOldTextBackWhenTheWriteFails) {
  const QByteArray old = "old content\n";
  const QByteArray longer = "new text, longer than the space left";
  const struct {
    const char* name;
    bool everyByteFails;
    const QByteArray& text;
    unsigned code;
    platform::WriteStep failedAt;
    const QByteArray* left;  // null: neither text
  } cases[] = {
      {"a longer text on a full disk", false, longer, ENOSPC, platform::WriteStep::Write, &old},
      {"a disk that fails every write", true, longer, ENOSPC, platform::WriteStep::Restore, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString f = dir.filePath("f.txt");
    const QString g = dir.filePath("g.txt");
    writeFile(f, old);
    ASSERT_TRUE(QFile::link(f, dir.filePath("link.txt")) && !shell("ln $F $G", f, g).isNull());
    platform::WriteStep failedAt = platform::WriteStep::Open;
    {
      const auto space = c.everyByteFails ? ScopedDiskSpace::failingAfter(5) : ScopedDiskSpace::full(5);
      EXPECT_EQ(c.code, platform::writeWholeFile(dir.filePath("link.txt"), c.text, failedAt));
    }
    EXPECT_EQ(c.failedAt, failedAt);
    for (const QString& name : {f, g}) {
      if (c.left)
        EXPECT_EQ(*c.left, readFile(name));
      else
        EXPECT_TRUE(readFile(name) != old && readFile(name) != c.text) << readFile(name).constData();
    }
    EXPECT_EQ((QStringList{"f.txt", "g.txt", "link.txt"}), entriesOf(dir.path()));
  }

  QTemporaryDir dir;
  const QString f = dir.filePath("f.txt");
  const QString g = dir.filePath("g.txt");
  writeFile(f, old);
  ASSERT_FALSE(shell("ln $F $G", f, g).isNull());
  platform::WriteStep failedAt = platform::WriteStep::Open;
  {
    const auto space = ScopedDiskSpace::full(0);
    EXPECT_EQ(0u, platform::replaceFile(f, "new", failedAt));
  }
  EXPECT_EQ("new", readFile(g));

  QFile big(f);
  ASSERT_TRUE(big.resize(platform::kMaxKeptBytes + 1));
  EXPECT_EQ(unsigned(EFBIG), platform::writeWholeFile(f, "new", failedAt));
  EXPECT_EQ(platform::WriteStep::Open, failedAt);
  EXPECT_EQ(platform::kMaxKeptBytes + 1, QFileInfo(g).size());
  EXPECT_EQ((QStringList{"f.txt", "g.txt"}), entriesOf(dir.path()));
}

// A link to a file not made yet stays a link: a replacement makes the file it names, and
// an append that fails takes away the file it made, not the link.
TEST(WholeFileTest, ALinkToAMissingFileStaysALink) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  ASSERT_TRUE(QFile::link("sub/target.txt", dir.filePath("link.txt")));
  ASSERT_EQ(0u, platform::replaceFile(dir.filePath("link.txt"), "replaced"));
  EXPECT_TRUE(QFileInfo(dir.filePath("link.txt")).isSymLink());
  EXPECT_EQ("replaced", readFile(dir.filePath("sub/target.txt")));

  ASSERT_TRUE(QFile::remove(dir.filePath("sub/target.txt")));
  platform::WriteStep failedAt = platform::WriteStep::Open;
  {
    const auto space = ScopedDiskSpace::full(0);
    EXPECT_EQ(unsigned(ENOSPC), platform::appendToFile(dir.filePath("link.txt"), "appended", failedAt));
  }
  EXPECT_EQ(platform::WriteStep::Write, failedAt);
  EXPECT_TRUE(QFileInfo(dir.filePath("link.txt")).isSymLink());
  EXPECT_EQ(QStringList(), entriesOf(dir.filePath("sub")));
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
