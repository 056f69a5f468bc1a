#include "core/path_utils.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct InPlaceCase {
  const char* name;
  const char* path;
  const char* expected;
};

TEST(PathUtilsTest, NormalizeTrailingSeparator) {
  const InPlaceCase cases[] = {
      {"empty stays empty", "", ""},
      {"appends the native separator", "C:/data", "C:/data/"},
      {"backslash path gets a slash", "C:\\data", "C:\\data/"},
      {"one trailing slash kept", "a/b/", "a/b/"},
      {"one trailing backslash kept", "a\\b\\", "a\\b\\"},
      {"three slashes leave one", "a///", "a/"},
      {"mixed run keeps its first", "a\\//", "a\\"},
      {"only separators keep the first", "\\//", "\\"},
      {"root stays", "/", "/"},
  };
  for (const InPlaceCase& c : cases) {
    QString path = QString::fromUtf8(c.path);
    normalizeTrailingSeparator(path);
    EXPECT_EQ(QString::fromUtf8(c.expected), path) << c.name;
  }
}

TEST(PathUtilsTest, CombinePath) {
  const struct {
    const char* name;
    const char* base;
    const char* tail;
    const char* expected;
  } cases[] = {
      {"leading separators of the tail dropped", "C:/a", "/b/c", "C:/a/b/c"},
      {"backslashes read as separators", "C:\\a\\", "\\\\b", "C:\\a\\b"},
      {"empty tail still normalizes", "C:/a", "", "C:/a/"},
      {"run in the base cut", "a//", "b", "a/b"},
      {"empty base gets no separator", "", "x", "x"},
      {"empty both", "", "", ""},
      {"tail of separators only", "a", "//", "a/"},
      {"trailing separator of the tail kept", "a", "b/", "a/b/"},
  };
  for (const auto& c : cases) {
    QString base = QString::fromUtf8(c.base);
    const QString& result = combinePath(base, QString::fromUtf8(c.tail));
    EXPECT_EQ(QString::fromUtf8(c.expected), base) << c.name;
    EXPECT_EQ(&base, &result) << c.name;
  }
}

TEST(PathUtilsTest, MakeAbsolutePath) {
  const struct {
    const char* name;
    const char* base;
    const char* path;
    const char* expected;
  } cases[] = {
      {"relative joined", "/work", "a/b", "/work/a/b"},
      {"absolute unchanged", "/work", "/etc/x", "/etc/x"},
      {"backslash-rooted counts as absolute", "/work", "\\etc\\x", "\\etc\\x"},
      {"empty path gives the base as a directory", "/work", "", "/work/"},
      {"empty base leaves a relative path relative", "", "a/b", "a/b"},
      {"drive letter is just a name here", "/work", "C:/x", "/work/C:/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QString::fromUtf8(c.expected),
              makeAbsolutePath(QString::fromUtf8(c.base), QString::fromUtf8(c.path)))
        << c.name;
  }
}

TEST(PathUtilsTest, ParentDirOf) {
  const InPlaceCase cases[] = {
      {"trailing separator removed first", "C:/a/b/", "C:/a/"},
      {"drive-like name keeps a separator", "C:/a", "C:/"},
      {"backslashes read, slash added", "C:\\a\\b", "C:\\a/"},
      {"run of trailing separators", "a/b///", "a/"},
      {"bare name has none", "name", ""},
      {"empty", "", ""},
      {"parent of a root entry is the root", "/a", "/"},
      {"root has no parent", "/", ""},
      {"separator before the cut is kept as it is", "a//b", "a/"},
  };
  for (const InPlaceCase& c : cases) {
    EXPECT_EQ(QString::fromUtf8(c.expected), parentDirOf(QString::fromUtf8(c.path))) << c.name;
  }
}

TEST(PathUtilsTest, AbsoluteDirPath) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString root = tmp.path();
  const QString savedCwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(root));
  const struct {
    const char* name;
    QString path;
    QString expected;
  } cases[] = {
      {"empty", "", ""},
      {"absolute file", "/x/y/file.txt", "/x/y"},
      {"backslashes read as separators", "\\x\\y\\file.txt", "/x/y"},
      {"relative against the current directory", "sub/file.txt", root + "/sub"},
      {"bare name", "file.txt", root},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, absoluteDirPath(c.path)) << c.name;
  QDir::setCurrent(savedCwd);
}

TEST(PathUtilsTest, AddNamePrefixAndSuffix) {
  const struct {
    const char* name;
    const char* text;
    const char* path;
    const char* withPrefix;
    const char* withSuffix;
  } cases[] = {
      {"plain file", "d", "lib/core.dll", "lib/dcore.dll", "lib/cored.dll"},
      {"backslash separators", "d", "lib\\core.dll", "lib\\dcore.dll", "lib\\cored.dll"},
      {"no separator, no dot", "d", "core", "dcore", "cored"},
      {"dot in a directory name", "d", "lib.x64\\core", "lib.x64\\dcore", "libd.x64\\core"},
      {"last of several dots", "_x", "a.tar.gz", "_xa.tar.gz", "a.tar_x.gz"},
      {"empty text leaves the path", "", "a/b.c", "a/b.c", "a/b.c"},
      {"empty path stays empty", "d", "", "", ""},
      {"trailing separator", "p", "dir/", "dir/p", "dir/p"},
  };
  for (const auto& c : cases) {
    QString prefixed = QString::fromUtf8(c.path);
    addNamePrefix(QString::fromUtf8(c.text), prefixed);
    EXPECT_EQ(QString::fromUtf8(c.withPrefix), prefixed) << c.name;
    QString suffixed = QString::fromUtf8(c.path);
    addNameSuffix(QString::fromUtf8(c.text), suffixed);
    EXPECT_EQ(QString::fromUtf8(c.withSuffix), suffixed) << c.name;
  }
}

TEST(PathUtilsTest, SeparatorsAndComparison) {
  QString native = "a\\b/c\\";
  toNativeSeparators(native);
  EXPECT_EQ("a/b/c/", native);
  EXPECT_EQ("C:/x/y", fileSystemPath("C:\\x\\y"));

  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"/x/File.txt", "/x/File.txt", true},
      {"/x/File.txt", "\\x\\File.txt", true},
      {"/x/File.txt", "/x/file.txt", false},  // names are case-sensitive here
      {"/x/a", "/x/a/", false},
      {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.same, samePath(c.a, c.b)) << c.a << " vs " << c.b;
}

}  // namespace
