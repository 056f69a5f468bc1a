#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "project/project_build.h"
#include "project/project_paths.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(ProjectPathsTest, ResolveProjectPath) {
  VariablesMgr vars;
  EXPECT_EQ(0, vars.set("out", "bin\\x64"));
  VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &vars);
  ProjectBuild project(1, "core");
  project.setDefFile("/repo/modules\\core/varkel.xml");

  const struct {
    const char* name;
    const char* path;
    IProject* project;
    QString expected;
  } cases[] = {
      {"no project: unchanged", "  ${out}\\a ", nullptr, "  ${out}\\a "},
      {"relative to the definition file", " ${out}\\core.so ", &project, "/repo/modules/core/bin/x64/core.so"},
      {"cleaned", "../shared/./lib/", &project, "/repo/modules/shared/lib"},
      {"absolute kept", "\\opt\\qt", &project, "/opt/qt"},
      {"blank stays empty", "   ", &project, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, resolveProjectPath(c.path, c.project, &expander)) << c.name;
  }
  EXPECT_EQ("/repo/modules/core/${out}", resolveProjectPath("${out}", &project, nullptr));

  ProjectBuild noDefinition(2, "loose");
  EXPECT_EQ(QDir::currentPath() + "/x", resolveProjectPath("x", &noDefinition, nullptr));
}

}  // namespace
