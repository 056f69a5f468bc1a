// The 'build rules' scan, the project table and printprojects run by the real program
// on trees of 'build rules' files in a temporary directory.

#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

// A rules file: the scan targets, then the given solutions.
QString rules(const QStringList& targets, const QString& solutions = QString()) {
  QString xml = "<project><scan><targets>";
  for (const QString& target : targets) xml += "<target path=\"" + target + "\"/>";
  return xml + "</targets></scan><solutions>" + solutions + "</solutions></project>\n";
}

TEST(BuildRulesEndToEnd, ExampleTreeIsScannedPrintedAndAsked) {
  VarkelRun v;
  ASSERT_READY(v);
  const QString examples = QFileInfo(QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/projects")).absoluteFilePath();
  const RunResult r = v.run({"-pmanifest", examples + "/varkel.xml", "-job", examples + "/job.xml"});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
  const QRegularExpression warning("\\[WARNG\\] \\[\\d+\\] \\[\\d+\\] " +
                                   QRegularExpression::escape("[ProjectXmlParser] Disabled solution. Solution name: "
                                                              "'old-tools'. File: '" + examples + "/varkel.xml'\r\n"));
  EXPECT_TRUE(r.log.contains(warning)) << "the disabled solution is warned about: " << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("legacy/varkel.xml")) << "a disabled target is not walked";
  EXPECT_TRUE(r.logHas("[Echo] All projects: app,core\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] app needs: core\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] app is built into: " + examples + "/app/bin\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] Filter 'tools': app,core\r\n"));
  const QString expected = QString(
      "Projects list:\n\n"
      "--------------------------------------------------------\n"
      "Project name:         app\n"
      "Project type:         build\n"
      "Build type:           qmake\n"
      "Distribution type:    product\n"
      "Project file:         app.pro\n"
      "Definition file:      EX/app/varkel.xml\n"
      "Solution directory:   EX/app/\n"
      "Filter:               tools.gui\n"
      "Comment:              The program\n"
      "Condition:            \n"
      "Is processed:         0\n"
      "ID:                   1\n"
      "Platform toolset:     \n"
      "Project attributes: \n"
      "    kind='gui'\n"
      "Version files:\n"
      "    File: 'version.h', ID: 'main'\n"
      "Child projects:\n"
      "    core\n"
      "Output files:\n"
      "    Directory: 'bin', ID: 'bin', condition: ''\n"
      "    Includes:\n"
      "        'app', subdirectory: ''\n"
      "--------------------------------------------------------\n"
      "Project name:         core\n"
      "Project type:         files\n"
      "Distribution type:    internal\n"
      "Project file:         \n"
      "Definition file:      EX/core/varkel.xml\n"
      "Solution directory:   EX/core/\n"
      "Filter:               tools\n"
      "Comment:              \n"
      "Condition:            \n"
      "Is processed:         0\n"
      "ID:                   2\n"
      "Platform toolset:     \n"
      "Parent projects:\n"
      "    app\n"
      "Output files:\n"
      "    Directory: 'include', ID: 'headers', condition: ''\n"
      "    Includes:\n"
      "        '*', subdirectory: 'include'\n"
      "\n").replace("EX", examples);
  EXPECT_EQ(v.read("projects.txt"), expected);
  EXPECT_TRUE(r.logHas("[PrintProjects] " + expected + "\r\n"));
}

TEST(BuildRulesEndToEnd, BriefListingWithDependences) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("rules/varkel.xml",
          rules({}, "<solution type='files' name='zlib'/>"
                    "<solution type='build' buildtype='make' name='App'><dependencies>"
                    "<dependence name='zlib' condition=\"IsOs('linux')\"/><dependence name='ssl'/>"
                    "</dependencies></solution>"));
  v.writeJob("job.xml", "<tasks><printprojects showdependence='yes' file='brief.txt'/></tasks>");
  const RunResult r = v.run({"-pmanifest", v.path("rules/varkel.xml"), "-job", "job.xml"});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_EQ(v.read("brief.txt"), "Projects list:\n\nApp\n    zlib Condition: 'IsOs('linux')'\n    ssl\nzlib\n\n");
}

// The scan's start directory and the directories that targets name give their rules
// file whatever the case of its name.
TEST(BuildRulesEndToEnd, ScannedDirectoriesFindTheirRulesFileInAnyCase) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("rules/VARKEL.XML", rules({"lib", "tools"}, "<solution type='files' name='top'/>"));
  v.write("rules/lib/Varkel.xml", rules({}, "<solution type='files' name='lib'/>"));
  v.write("rules/tools/varkel.xml", rules({}, "<solution type='files' name='tools'/>"));
  v.writeJob("job.xml",
             "<tasks><setvar name='all' value='GetAllProjects()' asexpression='yes'/>"
             "<echo message='projects ${all}'/></tasks>");
  const RunResult r = v.run({"-pmanifest", v.path("rules/VARKEL.XML"), "-job", "job.xml"});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] projects lib,tools,top\r\n")) << qPrintable(r.log);
}

TEST(BuildRulesEndToEnd, AScanThatFailsEndsTheRunBeforeTheTasks) {
  struct Case {
    const char* name;
    QString root;
    int code;
    const char* line;  // an error line; DIR stands for the temporary directory
  };
  const Case cases[] = {
      {"name defined twice in one file",
       rules({}, "<solution type='files' name='a'/><solution type='files' name='A'/>"), 402,
       "[Mgr] [ParseBuildRules] Found project with same name. Name: A. Path: DIR/rules/varkel.xml. "
       "Path of already existing project: DIR/rules/varkel.xml\r\n"},
      {"missing target", rules({"lib", "gone"}), 21,
       "[RulesEnum] [Enumerate files] Path 'DIR/rules/gone' not found. Task: 1. This XML file: "
       "'DIR/rules/varkel.xml'. Line: 1. Column: 65\r\n"},
      {"repeated target", rules({"lib", "lib"}), 41,
       "[RulesEnum] [Enumerate files] Path 'DIR/rules/lib' already processed. Task: 1. This XML file: "
       "'DIR/rules/varkel.xml'. Line: 1. Column: 64\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("rules/varkel.xml", c.root);
    v.write("rules/lib/varkel.xml", rules({}, "<solution type='files' name='lib'/>"));
    v.writeJob("job.xml", "<tasks><echo message='not reached'/></tasks>");
    const RunResult r = v.run({"-pmanifest", v.path("rules/varkel.xml"), "-job", "job.xml"});
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log);
    const QRegularExpression errorLine("\\[ERROR\\] \\[\\d+\\] \\[\\d+\\] " +
                                       QRegularExpression::escape(v.inDir(c.line)));
    EXPECT_TRUE(r.log.contains(errorLine)) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas("[Mgr] [Start] Failed to load projects. Error: " + QString::number(c.code) + "\r\n"));
    EXPECT_FALSE(r.logHas("not reached"));
    EXPECT_TRUE(r.err.contains("| Error: " + QString::number(c.code) + ".\n")) << qPrintable(r.err);
  }
}

}  // namespace
