#include "build/build_rules_enum.h"

#include "build/ifile_enum_callback.h"
#include "build/result_codes.h"
#include "core/variables_mgr.h"
#include "manager/tasks_variables_expander.h"
#include "rules_tree.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QDir>

#include <functional>

using build_testing::RulesTree;
using testing_support::ScopedLogCapture;

namespace {

// Records every reported file as a path relative to the tree; answer decides the code.
class RecordingCallback : public IFileEnumCallback {
 public:
  explicit RecordingCallback(const RulesTree& tree) : root_(tree.path() + QLatin1Char('/')) {}
  int directoryFound(std::uint32_t, const QString&) override { return 0; }
  int fileFound(std::uint32_t taskId, const QString& path) override {
    EXPECT_EQ(taskId, 7u);
    files << (path.startsWith(root_) ? path.mid(root_.size()) : path);
    return answer ? answer(path) : 0;
  }
  QStringList files;
  std::function<int(const QString&)> answer;

 private:
  QString root_;
};

class ExpanderOver : public IVariablesExpander {
 public:
  explicit ExpanderOver(VariablesMgr* vars) : vars_(vars) {}
  bool expand(QString& text) override { return expandFromOneStore(vars_, text); }

 private:
  VariablesMgr* vars_;
};

class BuildRulesEnumTest : public ::testing::Test {
 protected:
  int walk(const QString& start) { return walker_.enumerate(7, start, &expander_, &callback_); }

  ScopedLogCapture log_;
  RulesTree tree_;
  VariablesMgr vars_;
  ExpanderOver expander_{&vars_};
  RecordingCallback callback_{tree_};
  BuildRulesEnum walker_;
};

TEST(BuildRulesEnum, RecognisesRulesFilesByTheirLastComponentInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"varkel.xml", true},           {"VARKEL.XML", true},        {"/a/b/Varkel.Xml", true},
      {"C:\\rules\\varkel.xml", true}, {"varkel.xml.bak", false},   {"myvarkel.xml", false},
      {"varkel.xml/", false},          {"", false},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(BuildRulesEnum::isRulesFile(path), expected) << path;
}

TEST_F(BuildRulesEnumTest, ADirectoryGivesItsFirstRulesFileAndIsNotSearched) {
  tree_.rules("sub", {});
  tree_.write("notes.txt", "x");
  EXPECT_EQ(walk(tree_.path()), 0);
  EXPECT_TRUE(callback_.files.isEmpty()) << "subdirectories are not entered";

  EXPECT_EQ(walk(tree_.path("notes.txt")), 0);
  EXPECT_TRUE(callback_.files.isEmpty()) << "a file of another name is nothing to do";

  tree_.rules("", {});
  EXPECT_EQ(walk(tree_.path()), 0);
  EXPECT_EQ(callback_.files, QStringList{"varkel.xml"});
}

TEST_F(BuildRulesEnumTest, ReportsEachFileBeforeWalkingItsTargetsDepthFirst) {
  tree_.rules("", {"b", "a\\"});
  tree_.rules("a", {});
  tree_.rules("b", {"deep/VARKEL.XML", "${sub}"});
  tree_.write("b/deep/VARKEL.XML", "<project/>");
  tree_.rules("b/x", {});
  ASSERT_EQ(vars_.set("sub", "  \"'x'\"  "), 0);
  ASSERT_EQ(walk("\"" + tree_.path() + "\""), 0);
  EXPECT_EQ(callback_.files,
            (QStringList{"varkel.xml", "b/varkel.xml", "b/deep/VARKEL.XML", "b/x/varkel.xml", "a/varkel.xml"}))
      << "targets are expanded, then stripped of every quote pair";
}

// A directory's rules file is "varkel.xml" in any case; only a file, or a link to one,
// counts. The usual name is taken without a listing, which would give "VARKEL.XML"
// first (the lister's order of two names that differ only in case is the exact one).
TEST_F(BuildRulesEnumTest, ADirectoryGivesItsRulesFileInAnyCase) {
  tree_.rules("", {"upper", "both", "two", "fifo", "dir", "dangling", "link"});
  tree_.write("upper/VARKEL.XML", "<project/>");
  tree_.write("both/VARKEL.XML", "<project/>");
  tree_.rules("both", {});
  tree_.write("two/Varkel.xml", "<project/>");
  tree_.write("two/VARKEL.XML", "<project/>");
  ASSERT_TRUE(QDir().mkpath(tree_.path("fifo")));
  ASSERT_TRUE(testing_support::makeFifo(tree_.path("fifo/varkel.xml")));
  ASSERT_TRUE(QDir().mkpath(tree_.path("dir/varkel.xml")));
  tree_.write("dir/Varkel.Xml", "<project/>");
  ASSERT_TRUE(QDir().mkpath(tree_.path("dangling")));
  ASSERT_TRUE(QFile::link(tree_.path("nowhere"), tree_.path("dangling/VARKEL.xml")));
  const QString target = tree_.rules("elsewhere", {});
  ASSERT_TRUE(QDir().mkpath(tree_.path("link")));
  ASSERT_TRUE(QFile::link(target, tree_.path("link/varkel.XML")));
  ASSERT_EQ(walk(tree_.path()), 0) << qPrintable(log_.log().texts().join("\n"));
  EXPECT_EQ(callback_.files, (QStringList{"varkel.xml", "upper/VARKEL.XML", "both/varkel.xml", "two/VARKEL.XML",
                                          "dir/Varkel.Xml", "link/varkel.XML"}));
}

// The walk reads each file once: while it reports a file, the file's content is there
// for the callback, as it was read.
TEST_F(BuildRulesEnumTest, AReportedFileComesWithItsContent) {
  const QString root = tree_.rules("", {"lib"});
  const QString lib = tree_.rules("lib", {});
  QStringList contents;
  callback_.answer = [&](const QString& path) {
    const QByteArray* content = walker_.reportedContent(path);
    EXPECT_EQ(walker_.reportedContent(path == root ? lib : root), nullptr);
    contents << (content ? QString::fromUtf8(*content) : QStringLiteral("<none>"));
    return 0;
  };
  ASSERT_EQ(walk(tree_.path()), 0);
  EXPECT_EQ(contents, (QStringList{testing_support::readFile(root), testing_support::readFile(lib)}));
  EXPECT_EQ(walker_.reportedContent(root), nullptr) << "only while the file is reported";
}

TEST_F(BuildRulesEnumTest, OnlyEnabledTargetsAreWalked) {
  tree_.write("varkel.xml",
              "<project><scan>"
              "<targets enable=\"no\"><target path=\"off1\"/></targets>"
              "<targets enable=\"maybe\"><target path=\"on1\"/><target path=\"off2\" enable=\"FALSE\"/>"
              "<target/><other path=\"off3\"/></targets>"
              "<other><targets><target path=\"off4\"/></targets></other>"
              "</scan><scan><targets><target path=\"on2\"/></targets></scan></project>");
  for (const char* dir : {"on1", "on2", "off1", "off2", "off3", "off4"}) tree_.rules(dir, {});
  ASSERT_EQ(walk(tree_.path()), 0);
  EXPECT_EQ(callback_.files, (QStringList{"varkel.xml", "on1/varkel.xml", "on2/varkel.xml"}));
}

TEST_F(BuildRulesEnumTest, FailuresEndTheWholeWalk) {
  struct Case {
    const char* name;
    QStringList targets;
    int code;
    const char* logLine;  // DIR stands for the tree
  };
  const Case cases[] = {
      // The second target stands on line 5 of the tree's rules file.
      {"missing", {"lib", "gone"}, build_codes::kPathNotFound,
       "[Enumerate files] Path 'DIR/gone' not found. Task: 7. This XML file: 'DIR/varkel.xml'. Line: 5. Column: 25"},
      {"repeated", {"lib", "lib"}, build_codes::kAlreadyProcessed,
       "[Enumerate files] Path 'DIR/lib' already processed. Task: 7. This XML file: 'DIR/varkel.xml'. Line: 5. "
       "Column: 24"},
      {"emptyAfterExpansion", {"lib", "${nothing}"}, build_codes::kEmptyPath, nullptr},
      {"quotesOnly", {"lib", "' &quot;&quot; '"}, build_codes::kEmptyPath, nullptr},
  };
  ASSERT_EQ(vars_.set("nothing", ""), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RulesTree tree;
    RecordingCallback callback(tree);
    tree.rules("", c.targets);
    tree.rules("lib", {});
    log_.clear();
    EXPECT_EQ(walker_.enumerate(7, tree.path(), &expander_, &callback), c.code);
    EXPECT_EQ(callback.files, (QStringList{"varkel.xml", "lib/varkel.xml"}));
    if (c.logLine) {
      EXPECT_TRUE(log_.log().contains(QString(c.logLine).replace("DIR", tree.path())));
    }
  }
}

TEST_F(BuildRulesEnumTest, TheSameDirectoryByAnotherTextIsWalkedAgain) {
  tree_.rules("", {"lib", "sub/../lib"});
  tree_.rules("lib", {});
  tree_.write("sub/notes.txt", "");
  ASSERT_EQ(walk(tree_.path()), 0);
  EXPECT_EQ(callback_.files, (QStringList{"varkel.xml", "lib/varkel.xml", "lib/varkel.xml"}));
}

TEST_F(BuildRulesEnumTest, FilesThatNameEachOtherEndWithAlreadyProcessed) {
  tree_.rules("a", {"../b"});
  tree_.rules("b", {"../a"});
  EXPECT_EQ(walk(tree_.path("a")), build_codes::kAlreadyProcessed);
  EXPECT_EQ(callback_.files, (QStringList{"a/varkel.xml", "b/varkel.xml", "a/varkel.xml"}))
      << "the start text and the derived one differ, the derived one repeats";
}

TEST_F(BuildRulesEnumTest, AFailingReportStopsBeforeTheFileTargets) {
  tree_.rules("", {"lib"});
  tree_.rules("lib", {});
  callback_.answer = [](const QString&) { return 402; };
  EXPECT_EQ(walk(tree_.path()), 402);
  EXPECT_EQ(callback_.files, QStringList{"varkel.xml"});
}

TEST_F(BuildRulesEnumTest, AStopReportsNoFurtherFile) {
  tree_.rules("", {"lib", "other/varkel.xml"});
  tree_.rules("lib", {});
  tree_.rules("other", {});
  callback_.answer = [this](const QString&) {
    walker_.requestStop();
    return 0;
  };
  EXPECT_EQ(walk(tree_.path()), 0);
  EXPECT_EQ(callback_.files, QStringList{"varkel.xml"});

  callback_.files.clear();
  callback_.answer = nullptr;
  EXPECT_EQ(walk(tree_.path()), 0) << "a new walk clears the stop";
  EXPECT_EQ(callback_.files.size(), 3);
  EXPECT_FALSE(walker_.isRunning());
}

TEST_F(BuildRulesEnumTest, AnUnreadableRulesFileFailsWithTheReaderCode) {
  tree_.rules("", {"lib"});
  const QString broken = tree_.write("lib/varkel.xml", "<project><scan><targets>");
  EXPECT_EQ(walk(tree_.path()), 502);
  EXPECT_TRUE(log_.log().contains("[Process rule] Failed to parse file: '" + broken + "'. Error: 502"));
}

TEST_F(BuildRulesEnumTest, ATargetThatIsAPipeFailsAtOnce) {
  tree_.rules("", {"lib/varkel.xml"});
  const QString fifo = tree_.path() + "/lib/varkel.xml";
  ASSERT_TRUE(QDir().mkpath(tree_.path() + "/lib"));
  ASSERT_TRUE(testing_support::makeFifo(fifo));
  EXPECT_EQ(walk(tree_.path()), 501);
  EXPECT_TRUE(log_.log().containsPart("It is not a regular file.")) << qPrintable(log_.log().texts().join("\n"));
}

TEST_F(BuildRulesEnumTest, StartPathMustNotBeEmpty) {
  EXPECT_EQ(walk(QString()), build_codes::kEmptyPath);
  EXPECT_EQ(walk("''"), build_codes::kEmptyPath);
}

// A chain of distinct files, each naming the next: deeper than the bound fails with
// a line that names the target, instead of overflowing the stack.
TEST_F(BuildRulesEnumTest, NestingIsBounded) {
  const int limit = BuildRulesEnum::kMaxNestedTargets;
  for (int i = 0; i <= limit; ++i) tree_.rules(QString::number(i), {"../" + QString::number(i + 1)});
  tree_.rules(QString::number(limit + 1), {});
  EXPECT_EQ(walk(tree_.path("1")), 0) << "exactly the bound of nested targets is walked";
  EXPECT_EQ(callback_.files.size(), limit + 1);

  callback_.files.clear();
  log_.clear();
  EXPECT_EQ(walk(tree_.path("0")), build_codes::kTargetsNestedTooDeeply);
  EXPECT_EQ(callback_.files.size(), limit + 1);
  EXPECT_TRUE(log_.log().containsPart(QStringLiteral("[Process rule] Targets nested more than 1024 deep. Target: '../") +
                                      QString::number(limit + 1) + "'. File: '" + tree_.path(QString::number(limit)) +
                                      "/varkel.xml'. Line: 4. Column: 28. Task: 7"));
}

}  // namespace
