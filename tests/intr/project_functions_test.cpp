#include "intr/project_functions.h"

#include "core/variables_mgr.h"
#include "intr/interpreter.h"
#include "intr/result_codes.h"
#include "intr_fakes.h"
#include "project/fake_projects.h"

#include <gtest/gtest.h>

namespace {

using intr_testing::FakeExpander;
using project_testing::FakeProjects;

FileSetInfo output(const char* id, const char* dir) {
  FileSetInfo set;
  set.id = id;
  set.dir = dir;
  return set;
}

// app (build) depends on core and Tools and a project that does not exist; core (files)
// depends back on app. Definition files lie under /rules, which need not exist.
class ProjectFunctions : public ::testing::Test {
 protected:
  ProjectFunctions() {
    ProjectBuild* app = projects_.add<ProjectBuild>("app");
    app->setDefFile("/rules/app/varkel.xml");
    app->setProjectFile("src/app.pro");
    app->setSolutionDir("/rules/app/");
    app->setFilter("tools");
    app->setAttributes({{"Kind", "gui"}});
    app->setOutputs({output(" main ", "bin"), output("Docs", "/abs/docs"), output("main", "bin2")});
    (void)app->addVersionFile({"inc/ver.h", "V"});
    (void)app->addVersionFile({"/abs/v2.h", "w"});
    for (const char* child : {"core", "Tools", "missing"}) (void)app->addChildProject({child, QString()});

    ProjectFiles* core = projects_.add<ProjectFiles>("core");
    core->setDefFile("/rules/core/varkel.xml");
    core->setFilter("tools.qt");
    core->setDistribution(DistributionInternal);
    core->setOutputs({output("", "lib")});
    (void)core->addChildProject({"APP", QString()});

    projects_.add<ProjectBuild>("Tools")->setFilter("toolsx");
    projects_.add<ProjectFiles>("beta")->setFilter(".x");
    projects_.add<ProjectFiles>("zeta")->setDistribution(DistributionUnknown);

    EXPECT_EQ(vars_.set("attr", "kind"), 0);
    EXPECT_EQ(vars_.set("app.prefer.out.subdir", "sub"), 0);
    EXPECT_EQ(vars_.set("app.main.fileset.prefer.out.subdir", "fs"), 0);
    interpreter_.init(&expander_, &vars_, &projects_);
  }

  FakeProjects projects_;
  VariablesMgr vars_;
  FakeExpander expander_{&vars_};
  intr::Interpreter interpreter_;
};

struct Case {
  const char* text;
  const char* result;
  int code;
};

TEST_F(ProjectFunctions, Results) {
  const Case cases[] = {
      {"GetProjectAttribute(app, kind)", "gui", 0},
      {"GetProjectAttribute(app, '${attr}')", "gui", 0},
      {"GetProjectAttribute(app, none)", "", 0},
      {"ExistsProjectAttribute(APP, 'KIND')", "true", 0},
      {"ExistsProjectAttribute(app, none)", "false", 0},
      {"GetAllProjects()", "app,beta,core,Tools,zeta", 0},
      {"GetAllProjectsByFilter('tools')", "app,core", 0},
      {"GetAllProjectsByFilter('TOOLS')", "app,core", 0},
      {"GetAllProjectsByFilter('tools*')", "app,core,Tools", 0},
      {"GetAllProjectsByFilter('TOOLS*')", "", 0},
      {"GetAllProjectsByFilter('')", "beta,zeta", 0},
      {"GetAllProjectsByFilter('*')", "app,beta,core,Tools,zeta", 0},
      {"GetAllChildProjects(app)", "APP,core,Tools", 0},
      {"GetAllChildProjects(zeta)", "", 0},
      {"GetProjectFilterName(core)", "tools.qt", 0},
      {"GetProjectFile(app)", "/rules/app/src/app.pro", 0},
      {"GetProjectFile(core)", "", 0},
      {"GetProjectDir(app)", "/rules/app", 0},
      {"GetProjectDefFile(core)", "/rules/core/varkel.xml", 0},
      {"GetProjectFinalOutDir(app, '/out')", "/out/sub", 0},
      {"GetProjectFinalOutDir(core, '/out')", "/out", 0},
      {"GetProjectFinalOutDir(app, '')", "sub", 0},
      {"GetProjectFinalOutDirById(app, main, '/out')", "/out/fs", 0},
      {"GetProjectFinalOutDirById(app, other, '/out')", "/out", 0},
      {"GetProjectOutDirById(app, 'MAIN')", "/rules/app/bin", 0},
      {"GetProjectOutDirById(app, '')", "", 0},
      {"GetProjectOutDirById(core, '')", "/rules/core/lib", 0},
      {"GetProjectOutDirById(core, x)", "", 0},
      {"GetProjectOutDirIdByPath(app, '/abs/docs/')", "Docs", 0},
      {"GetProjectOutDirIdByPath(app, 'bin2')", "main", 0},
      {"GetProjectOutDirIdByPath(app, '/ABS/docs')", "", 0},
      {"GetProjectOutDirIdByPath(app, '')", "untouched", intr::kEmptyPath},
      {"GetProjectOutDirIdByPath('', '')", "untouched", intr::kNoProjectName},
      {"GetProjectOutDirIdByPath(nope, x)", "untouched", intr::kUnknownProject},
      {"GetProjectOutDirIds(app)", "main,Docs", 0},
      {"GetProjectOutDirs(app)", "/rules/app/bin,/abs/docs,/rules/app/bin2", 0},
      {"GetChildProjects(app)", "core,Tools,missing", 0},
      {"GetProjectVerFileById(app, 'v')", "/rules/app/inc/ver.h", 0},
      {"GetProjectVerFileById(app, x)", "", 0},
      {"GetProjectVerFileCount(core)", "0", 0},
      {"GetProjectVerFileCount(app)", "2", 0},
      {"GetProjectVerFileIds(app)", "V,w", 0},
      {"GetProjectVerFiles(app)", "/rules/app/inc/ver.h,/abs/v2.h", 0},
      {"GetAllBuildProjects()", "app,Tools", 0},
      {"GetAllLibs()", "beta,core,zeta", 0},
      {"IsBuildProject(app) and not IsLib(app) and IsLib(core)", "true", 0},
      {"GetAllProjectsByDistribution('product', 'internal')", "app,beta,core,Tools", 0},
      {"GetAllProjectsByDistribution('product,internal')", "", 0},
      {"GetAllProductProjects()", "app,beta,Tools", 0},
      {"GetAllInternalProjects()", "core", 0},
      {"GetProjectDistribution(core)", "internal", 0},
      {"GetProjectDistribution(zeta)", "unknown", 0},
      {"IsProductProject(app) and IsInternalProject(core) and not IsInternalProject(app)", "true", 0},
      {"GetProjectFile('')", "untouched", intr::kNoProjectName},
      {"GetProjectFile(nope)", "untouched", intr::kUnknownProject},
      {"GetProjectFinalOutDir(nope, x)", "untouched", intr::kUnknownProject},
      {"GetProjectFinalOutDir('', x)", "untouched", intr::kNoProjectName},
      {"GetProjectFinalOutDirById(nope, main, x)", "untouched", intr::kUnknownProject},
      {"GetProjectFinalOutDirById('', main, x)", "untouched", intr::kNoProjectName},
  };
  for (const Case& c : cases) {
    QString result = QStringLiteral("untouched");
    EXPECT_EQ(interpreter_.evaluate(QString::fromUtf8(c.text), &result), c.code) << c.text;
    EXPECT_EQ(result.toStdString(), c.result) << c.text;
  }
}

TEST_F(ProjectFunctions, CountAndProviderAreCheckedFirst) {
  intr::FuncGetProjectFile withoutProjects(nullptr, &vars_, nullptr);
  QString result = QStringLiteral("untouched");
  EXPECT_EQ(withoutProjects.execute({QStringLiteral("app")}, &result), intr::kNoProjectsProvider);
  EXPECT_EQ(withoutProjects.execute({}, &result), intr::kWrongArgumentCount);
  intr::FuncGetAllProjectsByDistribution byDistribution(nullptr, &vars_, &projects_);
  EXPECT_EQ(byDistribution.execute({}, &result), intr::kWrongArgumentCount);
  intr::FuncGetAllInternalProjects internal(nullptr, &vars_, &projects_);
  EXPECT_EQ(internal.execute({QStringLiteral("any"), QStringLiteral("thing")}, &result), 0) << "takes any count";
  EXPECT_EQ(result, "core");
}

TEST_F(ProjectFunctions, OnlyTheAttributeFunctionsExpandTheirArguments) {
  ASSERT_EQ(vars_.set("who", "app"), 0);
  QString result;
  EXPECT_EQ(interpreter_.evaluate(QStringLiteral("ExistsProjectAttribute('${who}', '${attr}')"), &result), 0);
  EXPECT_EQ(result, "true");
  EXPECT_EQ(interpreter_.evaluate(QStringLiteral("IsBuildProject('${who}')"), &result), intr::kUnknownProject);
}

}  // namespace
