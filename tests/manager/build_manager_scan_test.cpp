#include "manager/build_manager.h"

#include "build/rules_tree.h"
#include "manager_test_support.h"
#include "test_support.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using build_testing::RulesTree;
using manager_testing::Args;
using manager_testing::Quiet;
using testing_support::ScopedLogCapture;

namespace {

QByteArray solution(const char* name, const char* more = "", const char* children = "") {
  return QByteArray("<solution type=\"files\" name=\"") + name + "\" " + more + ">" + children + "</solution>";
}

QByteArray solutions(std::initializer_list<QByteArray> items) {
  QByteArray out = "<solutions>";
  for (const QByteArray& item : items) out += item;
  return out + "</solutions>";
}

QByteArray dependsOn(const char* name) {
  return QByteArray("<dependencies><dependence name=\"") + name + "\"/></dependencies>";
}

QStringList parentsOf(BuildManager& m, const QString& name) {
  QStringList out;
  IProject* project = m.getProject(name);
  for (int i = 0; project && i < project->getParentProjectCount(); ++i) {
    QString parent;
    if (project->getParentProjectAt(i, parent) == 0) out << parent;
  }
  return out;
}

QStringList tableOrder(BuildManager& m) {
  QStringList out;
  for (int i = 0; i < m.count(); ++i) out << m.getProjectAt(i)->getName();
  return out;
}

// Parses the command line, then scans.
int scanWith(BuildManager& m, Args args) {
  EXPECT_EQ(m.parseCommandLine(args.argc(), args.argv()), 0);
  return m.scan();
}

TEST(BuildManagerScan, StartDirectoryAndItsFallbacks) {
  RulesTree tree;
  tree.rules("repo", {}, solutions({solution("fromRepo")}));
  const QByteArray manifest = tree.rules("manifest", {}, solutions({solution("fromManifest")})).toUtf8();
  const QString appDir = QCoreApplication::applicationDirPath();
  const QString repo = tree.path("repo");
  struct Case {
    const char* name;
    std::vector<const char*> args;
    QString repository;  // "svn.repository.dir", when set
    QString start;
    QString warning;  // the missing directory warned about, if any
  };
  const Case cases[] = {
      {"no manifest", {}, QString(), appDir, QString()},
      {"manifest", {"-pmanifest", manifest.constData()}, repo, tree.path("manifest"), QString()},
      {"missing manifest directory", {"-pmanifest", "/no/such/dir/varkel.xml"}, QString(), appDir, "/no/such/dir"},
      {"repository variable", {"-pmanifest", "/no/such/dir/varkel.xml"}, repo, repo, "/no/such/dir"},
      {"repository variable naming a file", {}, manifest, appDir, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    BuildManager m;
    if (!c.repository.isNull()) {
      ASSERT_EQ(m.globalVariables().set("svn.repository.dir", c.repository), 0);
    }
    EXPECT_EQ(scanWith(m, Args(c.args)), 0);
    EXPECT_EQ(m.scanDirectory(), c.start);
    EXPECT_TRUE(capture.log().contains("[Scan] Try to scan 'Build rules' files. Initial directory: '" + c.start + "'."));
    const QString warning = "[Scan] Directory to scan 'Build rules' files not found. Directory: '" + c.warning + "'.";
    EXPECT_EQ(capture.log().contains(warning), !c.warning.isEmpty());
  }
}

TEST(BuildManagerScan, SolutionsBecomeProjectsWithTheirFields) {
  RulesTree tree;
  const QString rules = tree.rules(
      "", {},
      "<vars><var name=\"out\" value=\"bin\"/></vars><solutions>"
      "<solution type=\"build\" buildtype=\"${tool}\" distribution=\"internal\" name=\"app\" projectfile=\"a\\app.pro\""
      " solutiondir=\"src\" condition=\"c\" comment=\"hi\" filter=\"f\" platformtoolset=\"v1\">"
      "<output><fileset id=\"main\" dir=\"${out}\"/></output>"
      "<versionfiles><versionfile file=\"v.h\" id=\"1\"/><versionfile file=\"v.h\" id=\"2\"/></versionfiles>"
      "<dependencies><dependence name=\"core\" condition=\"x\"/><dependence name=\"CORE\"/></dependencies>"
      "<platformmappings><platformmapping from=\"a\" to=\"b\"/></platformmappings>"
      "<attributes><attribute name=\"k\" value=\"v\"/></attributes></solution>"
      "<solution type=\"files\" name=\"core\"/></solutions>");
  Quiet q;
  BuildManager& m = q.manager;
  ASSERT_EQ(m.projectVariables().set("tool", "make"), 0);
  Args args{"-pmanifest", rules.toUtf8().constData()};
  ASSERT_EQ(scanWith(m, args), 0);
  ASSERT_EQ(m.count(), 2);
  IProject* app = m.getProject("APP");
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->getId(), 1);
  EXPECT_EQ(app->getType(), ProjectTypeBuild);
  EXPECT_EQ(app->getBuildType(), BuildToolMake) << "expanded against the project store";
  EXPECT_EQ(app->getDistribution(), DistributionInternal);
  EXPECT_EQ(app->getProjectFile(), "a/app.pro");
  EXPECT_EQ(app->getDefFile(), rules);
  EXPECT_EQ(app->getSolutionDir(), "src");
  EXPECT_EQ(app->getCondition(), "c");
  EXPECT_EQ(app->getComment(), "hi");
  EXPECT_EQ(app->getFilter(), "f");
  EXPECT_EQ(app->getPlatformToolset(), "v1");
  ASSERT_EQ(app->getOutputs().size(), 1u);
  EXPECT_EQ(app->getOutputs()[0].dir, "bin");
  EXPECT_EQ(app->getVersionFileCount(), 1) << "a version file is kept once";
  ASSERT_EQ(app->getChildProjectCount(), 1) << "a child is kept once, in any letter case";
  ChildProject child;
  ASSERT_EQ(app->getChildProjectAt(0, child), 0);
  EXPECT_EQ(child.name, "core");
  EXPECT_EQ(child.condition, "x");
  ASSERT_EQ(app->getPlatformMappings().size(), 1u);
  EXPECT_EQ(app->getPlatformMappings()[0].to, "b");
  QString value;
  EXPECT_EQ(app->getAttribute("K", value), 0);
  EXPECT_EQ(value, "v");
  EXPECT_EQ(m.getProject("core")->getId(), 2);
  EXPECT_EQ(m.getProject("core")->getType(), ProjectTypeFiles);
  QString out;
  EXPECT_EQ(m.projectVariables().get("out", out), 0) << "the variables of 'build rules' files go to the project store";
  EXPECT_NE(m.globalVariables().get("out", out), 0) << "and not to the job's";
}

// The solutions come from the content that the walk read: a file that changes on the
// disk once it was read is not read again.
TEST(BuildManagerScan, EachRulesFileIsReadOnce) {
  class Rewriting : public BuildManager {
   public:
    int fileFound(std::uint32_t taskId, const QString& path) override {
      testing_support::writeFile(path, "<project>" + solutions({solution("rewritten")}) + "</project>");
      return BuildManager::fileFound(taskId, path);
    }
  };
  RulesTree tree;
  tree.rules("", {"sub"}, solutions({solution("root")}));
  tree.rules("sub", {}, solutions({solution("leaf")}));
  Rewriting m;
  ASSERT_EQ(m.initGlobalVariables(), 0);
  ASSERT_EQ(scanWith(m, Args{"-pmanifest", tree.path("varkel.xml").toUtf8().constData()}), 0);
  EXPECT_EQ(tableOrder(m), (QStringList{"leaf", "root"}));
}

TEST(BuildManagerScan, TheFirstDefinitionOfANameWinsAcrossFiles) {
  ScopedLogCapture capture;
  RulesTree tree;
  tree.rules("", {"sub"}, solutions({solution("a", "comment=\"first\"")}));
  tree.rules("sub", {}, solutions({solution("A", "comment=\"second\""), solution("b")}));
  Quiet q;
  ASSERT_EQ(scanWith(q.manager, Args{"-pmanifest", tree.path("varkel.xml").toUtf8().constData()}), 0);
  EXPECT_EQ(tableOrder(q.manager), (QStringList{"a", "b"}));
  EXPECT_EQ(q.manager.getProject("a")->getComment(), "first");
  ASSERT_FALSE(capture.log().entries.empty()) << "the scan's lines are captured";
  for (const logger::LogEntry& entry : capture.log().entries)
    EXPECT_GT(entry.level, logger::LogWarning) << "skipped without a message: " << entry.text.toStdString();
}

TEST(BuildManagerScan, ANameDefinedTwiceInOneFileFailsTheScan) {
  ScopedLogCapture capture;
  RulesTree tree;
  const QString rules = tree.rules("", {"sub"}, solutions({solution("x"), solution("a"), solution("A"), solution("y")}));
  tree.rules("sub", {}, solutions({solution("z")}));
  Quiet q;
  EXPECT_EQ(scanWith(q.manager, Args{"-pmanifest", rules.toUtf8().constData()}), 402);
  EXPECT_TRUE(capture.log().contains("[ParseBuildRules] Found project with same name. Name: A. Path: " + rules +
                                     ". Path of already existing project: " + rules));
  EXPECT_EQ(tableOrder(q.manager), (QStringList{"a", "x"})) << "what was read before stays";
}

TEST(BuildManagerScan, ParentsAreLinkedWhateverTheReadOrder) {
  struct Case {
    const char* name;
    const char* first;   // the project of the root file
    const char* second;  // the project of the file it names
    const char* dependence;
    QStringList parentsOfA;
  };
  const Case cases[] = {
      {"dependence read first", "a", "b", "a", {"b"}},
      {"dependent read first", "b", "a", "a", {"b"}},
      {"other case, dependence read first", "a", "b", "A", {"b"}},
      {"other case, dependent read first", "b", "a", "A", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RulesTree tree;
    auto define = [&](const char* name) {
      return solutions({solution(name, "", QByteArray(name) == "b" ? dependsOn(c.dependence).constData() : "")});
    };
    tree.rules("", {"sub"}, define(c.first));
    tree.rules("sub", {}, define(c.second));
    Quiet q;
    ASSERT_EQ(scanWith(q.manager, Args{"-pmanifest", tree.path("varkel.xml").toUtf8().constData()}), 0);
    EXPECT_EQ(parentsOf(q.manager, "a"), c.parentsOfA);
    EXPECT_TRUE(parentsOf(q.manager, "b").isEmpty());
    EXPECT_EQ(q.manager.findParentProjects(c.dependence), QStringList{"b"});
  }
}

TEST(BuildManagerScan, ParentsComeInTableOrder) {
  RulesTree tree;
  const QString rules = tree.rules(
      "", {}, solutions({solution("zed", "", dependsOn("lib")), solution("Alpha", "", dependsOn("lib")),
                         solution("beta", "", dependsOn("lib")), solution("lib")}));
  Quiet q;
  ASSERT_EQ(q.manager.parseBuildRules(rules), 0);
  EXPECT_EQ(q.manager.findParentProjects("lib"), (QStringList{"Alpha", "beta", "zed"}));
  EXPECT_EQ(parentsOf(q.manager, "lib"), (QStringList{"Alpha", "beta", "zed"}));
  EXPECT_TRUE(q.manager.findParentProjects("LIB").isEmpty());
}

TEST(BuildManagerScan, IndexAccessFollowsTheNameOrderAsTheTableGrows) {
  RulesTree tree;
  const QString first = tree.rules("one", {}, solutions({solution("beta"), solution("Alpha")}));
  const QString second = tree.rules("two", {}, solutions({solution("gamma"), solution("ALPHA2")}));
  Quiet q;
  BuildManager& m = q.manager;
  ASSERT_EQ(m.parseBuildRules(first), 0);
  EXPECT_EQ(tableOrder(m), (QStringList{"Alpha", "beta"}));
  ASSERT_EQ(m.parseBuildRules(second), 0);
  EXPECT_EQ(tableOrder(m), (QStringList{"Alpha", "ALPHA2", "beta", "gamma"}));
  EXPECT_EQ(m.getProjectAt(m.count()), nullptr);
  EXPECT_EQ(m.getProjectAt(-1), nullptr);
}

TEST(BuildManagerScan, OnlyRulesFilesOfItsOwnWalkAreRead) {
  RulesTree tree;
  const QString upper = tree.write("a/VARKEL.XML", "<project>" + solutions({solution("a")}) + "</project>");
  const QString other = tree.write("b/other.xml", "<project>" + solutions({solution("b")}) + "</project>");
  const QString lower = tree.write("c/varkel.xml", "<project>" + solutions({solution("c")}) + "</project>");
  Quiet q;
  EXPECT_EQ(q.manager.fileFound(1, upper), 0);
  EXPECT_EQ(q.manager.fileFound(1, other), 0);
  EXPECT_EQ(q.manager.fileFound(2, lower), 0);
  EXPECT_EQ(q.manager.directoryFound(1, tree.path()), 0);
  EXPECT_EQ(tableOrder(q.manager), QStringList{"a"});
  EXPECT_EQ(q.manager.fileFound(1, tree.path("d/varkel.xml")), 501) << "a file that cannot be opened";
}

}  // namespace
