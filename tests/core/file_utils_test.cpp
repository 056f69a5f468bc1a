#include "core/file_utils.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
  void writeFile(const QString& rel) { testing_support::writeFile(at(rel), "x"); }

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

}  // namespace
