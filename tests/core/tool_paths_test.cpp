#include "core/config_keys.h"
#include "core/os_info.h"
#include "core/properties_mgr.h"
#include "core/tool_paths.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(OsInfoTest, OwnSystem) {
  EXPECT_EQ(OsLinux, kOwnOsCode);
  EXPECT_EQ("linux", currentOsName());
}

class ToolPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    root_ = tmp_.path();
    ASSERT_TRUE(QDir(root_).mkpath("qt/bin"));
    ASSERT_TRUE(QDir(root_).mkpath("other/bin"));
    testing_support::writeFile(root_ + "/tools/qmake-custom", QByteArray());
    EXPECT_EQ(0, vars_.set("root", root_));
  }

  QTemporaryDir tmp_;
  QString root_;
  VariablesMgr vars_;
  PropertiesMgr props_;
  VariablesExpanderHelper expander_{VariablesExpanderHelper::KindDollar, &vars_};
};

TEST_F(ToolPathsTest, QmakeDir) {
  EXPECT_EQ(0, vars_.set("linux.qmake.dir.x64", "  ${root}\\qt\\bin  "));
  EXPECT_EQ(0, vars_.set("linux.qmake.dir.arm", "${root}/missing"));
  EXPECT_EQ(0, props_.setString("linux.qmake.dir.arm", "${root}/other/bin"));
  EXPECT_EQ(0, props_.setString("linux.qmake.dir.x64", "${root}/other/bin"));
  EXPECT_EQ(0, props_.setString("win.qmake.dir", "C:\\Qt\\bin"));
  EXPECT_EQ(0, props_.setString("linux.qmake.dir.none", ""));

  EXPECT_EQ(root_ + "/qt/bin", qmakeDir(OsLinux, "x64", "", &expander_, &vars_, &props_))
      << "an existing directory among the variables wins";
  EXPECT_EQ(root_ + "/other/bin", qmakeDir(OsLinux, "arm", "", &expander_, &vars_, &props_))
      << "a variable naming no directory gives way to the property";
  EXPECT_EQ(root_ + "/missing", qmakeDir(OsLinux, "arm", "", &expander_, &vars_, nullptr));
  EXPECT_EQ("${root}/other/bin", qmakeDir(OsLinux, "arm", "", nullptr, nullptr, &props_));
  EXPECT_EQ("", qmakeDir(OsLinux, "none", "", &expander_, &vars_, &props_))
      << "an empty property still replaces";
  EXPECT_EQ("C:/Qt/bin", qmakeDir(OsWindows, "", "", &expander_, &vars_, &props_));
  EXPECT_EQ("", qmakeDir(OsLinux, "x64", "", &expander_, nullptr, nullptr));
  EXPECT_EQ("", qmakeDir(42, "x64", "", &expander_, &vars_, &props_));
}

TEST_F(ToolPathsTest, QmakePathAndMakeToolPath) {
  EXPECT_EQ(0, vars_.set("linux.qmake.path.custom", "${root}/tools/qmake-custom"));
  EXPECT_EQ(0, vars_.set("linux.qmake.path.gone", "${root}/tools/gone"));
  EXPECT_EQ(0, vars_.set("linux.qmake.dir.gone", "${root}/qt/bin"));
  EXPECT_EQ(0, vars_.set("macos.qmake.dir", "${root}/qt/bin"));
  EXPECT_EQ(0, vars_.set("win.qmake.dir", "${root}/qt/bin"));
  EXPECT_EQ(0, vars_.set("win.make.path.x64", " C:/tools/make.exe "));

  const struct {
    const char* name;
    int os;
    const char* first;
    QString expected;
  } cases[] = {
      {"existing file named", OsLinux, "custom", root_ + "/tools/qmake-custom"},
      {"missing file falls back to the directory", OsLinux, "gone", root_ + "/qt/bin/qmake"},
      {"macOS name", OsMacos, "", root_ + "/qt/bin/qmake"},
      {"Windows name", OsWindows, "", root_ + "/qt/bin/qmake.exe"},
      {"nothing set", OsLinux, "unset", ""},
      {"unknown system", 7, "custom", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, qmakePath(c.os, c.first, "", &expander_, &vars_, &props_)) << c.name;
  }
  EXPECT_EQ("", qmakePath(OsWindows, "", "", nullptr, nullptr, nullptr));

  EXPECT_EQ("make", makeToolPath(OsLinux, "x64", "", &expander_, &vars_, &props_));
  EXPECT_EQ("make", makeToolPath(OsMacos, "", "", nullptr, nullptr, nullptr));
  EXPECT_EQ("C:/tools/make.exe", makeToolPath(OsWindows, "x64", "", &expander_, &vars_, &props_));
  EXPECT_EQ("", makeToolPath(OsWindows, "arm", "", &expander_, &vars_, &props_));
}

}  // namespace
