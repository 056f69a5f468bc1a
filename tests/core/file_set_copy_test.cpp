#include "core/file_set_copy.h"

#include "core/condition_handler.h"
#include "core/file_utils.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;

// Answers each condition text from a table; a text it does not know is an error 2001.
class TableConditions : public IConditionHandler {
 public:
  QMap<QString, bool> answers;
  QStringList asked;
  int evaluateCondition(const QString& text, bool& result) override {
    asked << text;
    if (!answers.contains(text)) return 2001;
    result = answers.value(text);
    return 0;
  }
  int calculate(const QString&, QString&) override { return 0; }
};

FileSetInfo fileSet(const QString& dir, std::vector<FileSetInclude> includes, const QString& id = QString()) {
  FileSetInfo set;
  set.id = id;
  set.dir = dir;
  set.includes = std::move(includes);
  return set;
}

class FileSetCopyTest : public ::testing::Test {
 protected:
  FileSetCopyTest() : expander_(VariablesExpanderHelper::KindDollar, &vars_) {}

  QString at(const QString& rel) const { return dir_.filePath(rel); }
  void write(const QString& rel, const QByteArray& text = "x") { testing_support::writeFile(at(rel), text); }
  // Every file and link below rel, relative to it, sorted.
  QStringList tree(const QString& rel) const {
    QStringList out;
    const QString root = at(rel);
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
  }
  int copy(const std::vector<FileSetInfo>& sets, const QString& target, const FileSetSubdirs& subdirs = {},
           const QString& configuration = QString(), IConditionHandler* handler = nullptr) {
    return copyFiles(sets, target, dir_.path(), configuration, &expander_, handler, subdirs);
  }
  int copyIndexOf(const QString& targetPart) const {
    const QStringList texts = capture_.log().texts();
    for (int i = 0; i < texts.size(); ++i)
      if (texts[i].contains(" was copied to '") && texts[i].contains(targetPart)) return i;
    return -1;
  }

  QTemporaryDir dir_;
  VariablesMgr vars_;
  VariablesExpanderHelper expander_;
  testing_support::ScopedLogCapture capture_;
};

TEST_F(FileSetCopyTest, FileIncludesTakeSynonymsAndTheConfigurationsCorrector) {
  write("src/bin/cored.dll", "debug core");
  write("src/bin/core.dll", "release core");
  write("src/readmed.txt", "readme");
  FileSetInfo set = fileSet("src", {{"bin/core.dll", "", "lib"}, {"ignored", "readme.txt", ""}});
  set.nameCorrectors = {{"", "Release", "", "r"}, {"", "Debug", "", "d"}};

  ASSERT_EQ(0, copy({set}, "out", {}, "debug"));
  EXPECT_EQ(QStringList({"lib/bin/cored.dll", "readmed.txt"}), tree("out"))
      << "the corrected name is read from the source and written below the target";
  EXPECT_EQ("debug core", readFile(at("out/lib/bin/cored.dll")));
}

TEST_F(FileSetCopyTest, EachMappedSubdirectoryGetsACopyInAscendingOrder) {
  write("src/a.txt");
  write("src/b.txt");
  ASSERT_EQ(0, vars_.set("dirs", " b, a,, a "));
  const std::vector<FileSetInfo> sets = {fileSet("src", {{"a.txt", "", ""}}, "bin"),
                                         fileSet("src", {{"b.txt", "", ""}}, "other"),
                                         fileSet("src", {{"a.txt", "", "plain"}})};

  ASSERT_EQ(0, copy(sets, at("out"), {{"bin", "${dirs}"}, {"BIN", "wrong"}}));
  EXPECT_EQ(QStringList({"a/a.txt", "b.txt", "b/a.txt", "plain/a.txt"}), tree("out"))
      << "an id without an entry, and a set without an id, go straight into the target";
  EXPECT_LT(copyIndexOf("/out/a/a.txt"), copyIndexOf("/out/b/a.txt"));
}

TEST_F(FileSetCopyTest, ConditionsDecidePerSet) {
  write("src/a.txt");
  write("src/b.txt");
  write("src/c.txt");
  ASSERT_EQ(0, vars_.set("flag", "yes"));
  ASSERT_EQ(0, vars_.set("blank", "   "));
  auto withCondition = [](FileSetInfo set, const QString& condition) {
    set.condition = condition;
    return set;
  };
  const std::vector<FileSetInfo> sets = {withCondition(fileSet("src", {{"a.txt", "", ""}}, "a"), "${flag} == no"),
                                         withCondition(fileSet("src", {{"b.txt", "", ""}}, "b"), "${blank}"),
                                         withCondition(fileSet("src", {{"c.txt", "", ""}}, "c"), "${flag} == yes")};
  TableConditions handler;
  handler.answers = {{"yes == no", false}, {"yes == yes", true}};

  ASSERT_EQ(0, copy(sets, "out", {}, QString(), &handler));
  EXPECT_EQ(QStringList({"b.txt", "c.txt"}), tree("out"));
  EXPECT_EQ(QStringList({"yes == no", "yes == yes"}), handler.asked) << "a blank condition is no condition";
  EXPECT_TRUE(capture_.log().containsPart("Condition is false. \n    File set dir: src. \n    File set ID: a. \n"
                                          "    Condition template: '${flag} == no'. \n    Condition: 'yes == no'."));

  ASSERT_EQ(0, copy(sets, "all", {}, QString(), nullptr));
  EXPECT_EQ(QStringList({"a.txt", "b.txt", "c.txt"}), tree("all")) << "without a handler no condition counts";

  handler.answers.remove("yes == no");
  EXPECT_EQ(2001, copy(sets, "failed", {}, QString(), &handler));
  EXPECT_TRUE(tree("failed").isEmpty()) << "a condition that cannot be computed stops before the set";
  EXPECT_TRUE(capture_.log().containsPart("Failed to calculate the condition. \n    Error: 2001. \n"));
}

TEST_F(FileSetCopyTest, FailuresStopTheCopy) {
  write("src/a.txt");
  write("src/c.txt");
  const std::vector<FileSetInfo> sets = {fileSet("src", {{"a.txt", "", ""}, {"missing.txt", "", "deep/er"}}),
                                         fileSet("src", {{"c.txt", "", ""}})};
  EXPECT_EQ(304, copy(sets, ""));
  EXPECT_EQ(338, copy(sets, "out"));
  EXPECT_EQ(QStringList({"a.txt"}), tree("out")) << "what was copied before the failure stays, nothing after";
  EXPECT_TRUE(QFileInfo(at("out/deep/er")).isDir()) << "the target's directory comes before the source check";
  EXPECT_TRUE(capture_.log().contains("Source file '" + at("src/missing.txt") + "' not found"));
}

TEST_F(FileSetCopyTest, AReplacedTargetIsSwappedInWholeAndKeepsTheSourceBits) {
  write("src/tool", "new tool");
  write("src/sub/inner.txt");
  QFile::setPermissions(at("src/tool"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  write("out/tool", "old tool");
  QFile::setPermissions(at("out/tool"), QFile::ReadOwner);
  write("out/sub", "a file where the source has a directory");

  ASSERT_EQ(0, copy({fileSet("src", {{"tool", "", ""}})}, "out"));
  EXPECT_EQ("new tool", readFile(at("out/tool")));
  EXPECT_TRUE(QFileInfo(at("out/tool")).permissions() & QFile::ExeOwner) << "an executable stays executable";
  EXPECT_TRUE(capture_.log().contains("File '" + at("out/tool") + "' was removed"));

  EXPECT_EQ(74, copy({fileSet("src", {{"sub", "", ""}})}, "out"));
  EXPECT_EQ("a file where the source has a directory", readFile(at("out/sub"))) << "a failed copy loses nothing";
  EXPECT_EQ(QStringList({"sub", "tool"}), tree("out")) << "and leaves no temporary file behind";
}

TEST_F(FileSetCopyTest, CopyingOntoTheSourceItselfLeavesItAlone) {
  write("src/a.txt", "keep me");
  write("src/sub/b.txt", "keep me too");
  const std::vector<FileSetInfo> sets = {fileSet(at("src"), {{"a.txt", "", ""}, {"*", "", ""}})};
  const platform::FileId before = fileIdOf(at("src/a.txt"), false);

  ASSERT_EQ(0, copy(sets, at("src")));
  EXPECT_TRUE(before == fileIdOf(at("src/a.txt"), false)) << "not even replaced by a copy of itself";
  EXPECT_EQ("keep me", readFile(at("src/a.txt")));
  EXPECT_EQ("keep me too", readFile(at("src/sub/b.txt")));
  EXPECT_EQ(QStringList({"a.txt", "sub/b.txt"}), tree("src"));
}

TEST_F(FileSetCopyTest, DirectoryIncludesCopyTheTreeWithoutExcludedAndHiddenFiles) {
  write("src/app.dll");
  write("src/app.PDB");
  write("src/.hidden");
  write("src/sub/lib.dll");
  write("src/sub/.hidden/inside.txt");
  write("src/debug/only.pdb");
  FileSetInfo set = fileSet("src", {{"*", "synonym plays no part", "x64"}});
  set.excludes = QStringList{"", "*.pdb"};
  // Relative to the base directory, like the target of a file include.
  ASSERT_EQ(0, copy({set, fileSet("src", {{"app.dll", "", "x64/named"}})}, "out"));
  EXPECT_EQ(QStringList({"x64/app.dll", "x64/named/app.dll", "x64/sub/lib.dll"}), tree("out"));
  EXPECT_FALSE(QFileInfo::exists(at("out/x64/debug"))) << "no directory for a subdirectory without copied files";
}

TEST_F(FileSetCopyTest, LinksInATreeAreCopiedAsLinks) {
  write("elsewhere/big/file.txt");
  write("src/real.txt", "real");
  ASSERT_TRUE(QFile::link(at("elsewhere/big"), at("src/dirlink")));
  ASSERT_TRUE(QFile::link("real.txt", at("src/filelink")));

  ASSERT_EQ(0, copyDirectory(at("src"), {}, at("out"), {}, QString()));
  EXPECT_EQ(at("elsewhere/big"), QFileInfo(at("out/dirlink")).symLinkTarget()) << "never walked into";
  EXPECT_TRUE(QFileInfo(at("out/filelink")).isSymLink());
  EXPECT_EQ("real", readFile(at("out/filelink")));
}

TEST_F(FileSetCopyTest, DirectoryCopyGoesOnAfterAFailedFile) {
  write("src/a.txt");
  write("src/b.txt");
  write("src/c.txt");
  write("out/b.txt/blocker");  // a non-empty directory where a file should go

  EXPECT_EQ(74, copyDirectory(at("src"), {}, at("out"), {}, QString()));
  EXPECT_EQ(QStringList({"a.txt", "b.txt/blocker", "c.txt"}), tree("out"));
  EXPECT_TRUE(capture_.log().contains("Failed to copy file '" + at("src/b.txt") + "' to '" + at("out/b.txt") + "'"));

  EXPECT_EQ(337, copyDirectory("", {}, at("out"), {}, QString()));
  EXPECT_EQ(304, copyDirectory(at("src"), {}, "", {}, QString()));
  EXPECT_EQ(0, copyDirectory(at("missing"), {}, at("out2"), {}, QString())) << "nothing to list, nothing to copy";
  EXPECT_FALSE(QFileInfo::exists(at("out2")));
}

TEST_F(FileSetCopyTest, DirectoryCopyCorrectsOnlyNamesWithASuffix) {
  write("src/app.dll");
  write("src/app.txt");
  write("src/Makefile");
  const std::vector<NameCorrector> correctors = {{"txt", "Debug", "", "-x"}, {" exe, DLL ", "debug", "lib", "d"}};

  ASSERT_EQ(0, copyDirectory(at("src"), {}, at("out"), correctors, "DEBUG"));
  EXPECT_EQ(QStringList({"Makefile", "app-x.txt", "libappd.dll"}), tree("out"));
}

TEST_F(FileSetCopyTest, ATargetInsideItsSourceIsNotCopiedIntoItself) {
  write("src/a.txt");
  write("src/out/old.txt");

  ASSERT_EQ(0, copyDirectory(at("src"), {}, at("src/out"), {}, QString()));
  EXPECT_EQ(QStringList({"a.txt", "old.txt"}), tree("src/out"));
}

}  // namespace
