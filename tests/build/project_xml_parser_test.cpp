#include "build/project_xml_parser.h"

#include "core/variables_mgr.h"
#include "rules_tree.h"
#include "test_support.h"

#include <gtest/gtest.h>

using build_testing::RulesTree;
using testing_support::ScopedLogCapture;

namespace {

class ProjectXmlParserTest : public ::testing::Test {
 protected:
  ProjectXmlParserTest() {
    parser_.setVariablesGetter(&vars_);
    parser_.setVariablesSetter(&vars_);
  }

  // Parses a rules file whose root holds the given content; the records it gave.
  std::vector<SolutionInfo> parse(const QByteArray& content, int expectedCode = 0) {
    file_ = tree_.write("rules/varkel.xml", "<project>" + content + "</project>");
    EXPECT_EQ(parser_.parseFile(file_, true, QString(), QString()), expectedCode);
    parser_.stop();
    std::vector<SolutionInfo> solutions;
    parser_.getSolutions(solutions);
    return solutions;
  }

  QStringList names(const std::vector<SolutionInfo>& solutions) {
    QStringList out;
    for (const SolutionInfo& s : solutions) out << s.name;
    return out;
  }

  ScopedLogCapture log_;
  RulesTree tree_;
  VariablesMgr vars_;
  ProjectXmlParser parser_;
  QString file_;
};

TEST_F(ProjectXmlParserTest, ReadsEveryPartOfASolution) {
  ASSERT_EQ(vars_.set("tool", "qmake"), 0);
  const auto solutions = parse(
      "<vars><var name=\"out\" value=\"bin\"/></vars>"
      "<scan><targets><target path=\"x\"/></targets></scan>"
      "<solutions><solution type=\" Build \" buildtype=\"${tool}\" distribution=\"INTERNAL\" name=\" app \""
      " projectfile=\" src\\app.pro \" condition=\" c \" comment=\" hi \" filter=\" tools.qt \""
      " platformtoolset=\" v1 \" unknown=\"x\">"
      "  <output><fileset id=\" main \" dir=\" ${out}\\x64 \" condition=\" d \">"
      "    <include name=\" *.so \" synonym=\"s\" targetsubdir=\"lib\"/><include/>"
      "    <namecorrectors><namecorrector configuration=\"debug\" suffix=\"d\"/>"
      "      <namecorrector prefix=\"p\"/><namecorrector configuration=\"release\"/></namecorrectors>"
      "    <exclude name=\"*.a\"/></fileset><other/></output>"
      "  <versionfiles><versionfile file=\" inc\\ver.h \" id=\" v \"/><versionfile id=\"none\"/></versionfiles>"
      "  <dependencies><dependence name=\" core \" condition=\" x \"/><dependence name=\"\"/></dependencies>"
      "  <platformmappings><platformmapping to=\"x64\"/><platformmapping/></platformmappings>"
      "  <attributes><attribute name=\" Kind \" value=\" a \"/><attribute name=\"KIND\" value=\"b\"/>"
      "    <attribute value=\"c\"/></attributes>"
      "  <unknown><dependencies><dependence name=\"hidden\"/></dependencies></unknown>"
      "</solution></solutions>");
  ASSERT_EQ(solutions.size(), 1u);
  const SolutionInfo& s = solutions[0];
  EXPECT_EQ(s.type, ProjectTypeBuild);
  EXPECT_EQ(s.buildType, BuildToolQmake);
  EXPECT_EQ(s.distribution, DistributionInternal);
  EXPECT_EQ(s.name, "app");
  EXPECT_EQ(s.projectFile, "src/app.pro");
  EXPECT_EQ(s.rulesFile, file_);
  EXPECT_EQ(s.solutionDir, tree_.path("rules/"));
  EXPECT_EQ(s.condition, "c");
  EXPECT_EQ(s.comment, "hi");
  EXPECT_EQ(s.filter, " tools.qt ") << "the filter is not trimmed";
  EXPECT_EQ(s.platformToolset, "v1");

  ASSERT_EQ(s.outputs.size(), 1u);
  const FileSetInfo& set = s.outputs[0];
  EXPECT_EQ(set.id, "main");
  EXPECT_EQ(set.dir, "bin/x64") << "expanded with the file's own variables, separators native";
  EXPECT_EQ(set.condition, "d");
  ASSERT_EQ(set.includes.size(), 2u);
  EXPECT_EQ(set.includes[0].name, " *.so ");
  EXPECT_EQ(set.includes[0].synonym, "s");
  EXPECT_EQ(set.includes[0].targetsubdir, "lib");
  EXPECT_EQ(set.includes[1].name, "") << "an empty include is kept";
  ASSERT_EQ(set.nameCorrectors.size(), 1u);
  EXPECT_EQ(set.nameCorrectors[0].configuration, "debug");
  EXPECT_EQ(set.nameCorrectors[0].suffix, "d");
  EXPECT_TRUE(set.nameCorrectors[0].extensions.isEmpty());
  EXPECT_TRUE(set.excludes.isEmpty()) << "a 'build rules' file set has no excludes";

  ASSERT_EQ(s.versionFiles.size(), 1u);
  EXPECT_EQ(s.versionFiles[0].file, "inc/ver.h");
  EXPECT_EQ(s.versionFiles[0].id, "v");
  ASSERT_EQ(s.dependences.size(), 1u);
  EXPECT_EQ(s.dependences[0].name, "core");
  EXPECT_EQ(s.dependences[0].condition, "x");
  ASSERT_EQ(s.platformMappings.size(), 1u);
  EXPECT_EQ(s.platformMappings[0].from, "");
  EXPECT_EQ(s.platformMappings[0].to, "x64");
  ASSERT_EQ(s.attributes.size(), 1u);
  EXPECT_EQ(s.attributes.at("kind"), " a ") << "the first of a name wins; values are not trimmed";

  QString out;
  EXPECT_EQ(vars_.get("out", out), 0) << "the file's variables reach the project store";
}

TEST_F(ProjectXmlParserTest, BadAndDisabledSolutionsAreDroppedAndReadingGoesOn) {
  struct Case {
    const char* name;
    const char* attributes;
    // FILE stands for the rules file, the place is that of the solution; empty: accepted
    const char* warning;
  };
  const Case cases[] = {
      {"disabled", "enable=\" No \" type=\"files\" name=\"x\"", "Disabled solution. Solution name: 'x'. File: 'FILE'"},
      {"noType", "name=\"x\"", "Undefined solution type. File: 'FILE'. Line: 1. Column: 39"},
      {"noName", "type=\"files\" name=\" \"", "Undefined solution name. File: 'FILE'. Line: 1. Column: 52"},
      {"badType", "type=\"lib\" name=\"x\"", "Invalid solution type. Type: 'lib'. File: 'FILE'. Line: 1. Column: 50"},
      {"badBuildType", "type=\"build\" buildtype=\"ant\" name=\"x\"",
       "Invalid project build type. Build type: 'ant'. File: 'FILE'. Line: 1. Column: 68"},
      {"buildWithoutTool", "type=\"build\" name=\"x\"",
       "Invalid project build type. Build type: ''. File: 'FILE'. Line: 1. Column: 52"},
      {"filesWithoutTool", "type=\"files\" name=\"x\"", ""},
      {"upperCaseType", "type=\"BUILD\" buildtype=\"Make\" name=\"x\"", ""},
      {"enableOtherText", "enable=\"maybe\" type=\"files\" name=\"x\"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.clear();
    const auto solutions = parse(QByteArray("<solutions><solution ") + c.attributes +
                                 "><dependencies><dependence name=\"inner\"/></dependencies></solution>"
                                 "<solution type=\"files\" name=\"next\"/></solutions>");
    const bool accepted = *c.warning == '\0';
    EXPECT_EQ(names(solutions), accepted ? (QStringList{"x", "next"}) : QStringList{"next"});
    // The dropped solution's warning, and no other line of that level or worse.
    const QString warning = QString(c.warning).replace("FILE", file_);
    QStringList warnings;
    for (const logger::LogEntry& e : log_.log().entries)
      if (e.level <= logger::LogWarning) warnings << e.text;
    EXPECT_EQ(warnings, accepted ? QStringList() : QStringList{warning});
  }
}

TEST_F(ProjectXmlParserTest, CodesOfTypeToolAndDistribution) {
  const auto solutions = parse(
      "<solutions><solution type=\"files\" name=\"a\" buildtype=\"java\"/>"
      "<solution type=\"build\" buildtype=\"cmake\" name=\"b\" distribution=\"\"/>"
      "<solution type=\"build\" buildtype=\"cmd\" name=\"c\" distribution=\"public\"/>"
      "<solution type=\"build\" buildtype=\"msbuild\" name=\"d\" distribution=\"Product\"/></solutions>");
  ASSERT_EQ(solutions.size(), 4u);
  EXPECT_EQ(solutions[0].type, ProjectTypeFiles);
  EXPECT_EQ(solutions[0].buildType, BuildToolJava);
  EXPECT_EQ(solutions[1].buildType, BuildToolCmake);
  EXPECT_EQ(solutions[1].distribution, DistributionProduct) << "empty means product";
  EXPECT_EQ(solutions[2].buildType, BuildToolCmd);
  EXPECT_EQ(solutions[2].distribution, DistributionUnknown) << "an unknown distribution is no error";
  EXPECT_EQ(solutions[3].buildType, BuildToolMsbuild);
  EXPECT_EQ(solutions[3].distribution, DistributionProduct);
}

TEST_F(ProjectXmlParserTest, SolutionDirectoryDefaultsToTheRulesFileDirectory) {
  const auto solutions = parse(
      "<solutions><solution type=\"files\" name=\"absent\"/>"
      "<solution type=\"files\" name=\"empty\" solutiondir=\" \"/>"
      "<solution type=\"files\" name=\"dot\" solutiondir=\".\"/>"
      "<solution type=\"files\" name=\"up\" solutiondir=\"..\"/>"
      "<solution type=\"files\" name=\"sub\" solutiondir=\"a\\b\"/></solutions>");
  ASSERT_EQ(solutions.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(solutions[i].solutionDir, tree_.path("rules/")) << i;
  EXPECT_EQ(solutions[3].solutionDir, "..");
  EXPECT_EQ(solutions[4].solutionDir, "a/b");
}

TEST_F(ProjectXmlParserTest, SolutionsAnywhereUnderTheRootAndOnlyThere) {
  const auto solutions = parse(
      "<solutions><other><solution type=\"files\" name=\"hidden\"/></other>"
      "<solution type=\"files\" name=\"a\"/></solutions>"
      "<scan/><solutions><solution type=\"files\" name=\"b\"/></solutions>"
      "<other><solutions><solution type=\"files\" name=\"hidden2\"/></solutions></other>");
  EXPECT_EQ(names(solutions), (QStringList{"a", "b"}));
  EXPECT_EQ(names(parse("<solutions/>")), QStringList{}) << "every parse starts empty";
}

TEST_F(ProjectXmlParserTest, IncludesAreOnlyLogged) {
  tree_.write("rules/more.xml", "<project><solutions><solution type=\"files\" name=\"more\"/></solutions></project>");
  const auto solutions = parse("<includes><include file=\"more.xml\" replace=\"yes\" varprefix=\"v\"/></includes>"
                               "<solutions><solution type=\"files\" name=\"own\"/></solutions>");
  EXPECT_EQ(names(solutions), QStringList{"own"});
  EXPECT_TRUE(log_.log().contains("Tries to include XML. Caller id: ''. Parent file: '" + file_ + "'. This file: '" +
                                  tree_.path("rules/more.xml") +
                                  "'. Replace variables: 'yes'. Variables prefix: 'v'. Object prefix: ''"));
}

TEST_F(ProjectXmlParserTest, AFileThatCannotBeOpenedFailsTheParse) {
  EXPECT_EQ(parser_.parseFile(tree_.path("none/varkel.xml"), true, QString(), QString()), 501);
}

}  // namespace
