#include "project/project_build.h"
#include "project/project_files.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(ProjectTest, NewProjectDefaults) {
  ProjectBuild build(7, "Core");
  ProjectFiles files(8, "Docs");
  EXPECT_EQ(7, build.getId());
  EXPECT_EQ("Core", build.getName());
  EXPECT_EQ(ProjectTypeBuild, build.getType());
  EXPECT_EQ(ProjectTypeFiles, files.getType());
  EXPECT_EQ(BuildToolUnknown, build.getBuildType());
  EXPECT_EQ(DistributionProduct, build.getDistribution());
  EXPECT_FALSE(build.isProcessed());
  EXPECT_EQ(0, build.getAttributeCount());
  EXPECT_EQ(0, build.getProperties()->count());
  VersionFileInfo info{"keep", "keep"};
  EXPECT_EQ(IProject::kIndexOutOfRange, build.getVersionFileAt(0, info));
  EXPECT_EQ("keep", info.file);
}

TEST(ProjectTest, OnlyABuildProjectHasABuildTool) {
  ProjectBuild build(1, "b");
  ProjectFiles files(2, "f");
  build.setBuildType(BuildToolQmake);
  files.setBuildType(BuildToolQmake);
  EXPECT_EQ(BuildToolQmake, build.getBuildType());
  EXPECT_EQ(BuildToolUnknown, files.getBuildType());
  IProject& viaInterface = files;
  EXPECT_EQ(BuildToolUnknown, viaInterface.getBuildType());
}

// The three lists refuse a second entry of the same name; names compare without
// regard to case, version-file paths by the file system's rule (exactly here).
TEST(ProjectTest, ListsRefuseDuplicatesAndIndexesOutside) {
  struct Case {
    const char* name;
    std::function<int(IProject&, const QString&)> add;
    std::function<int(IProject&)> count;
    std::function<int(IProject&, int, QString&)> at;
    QString first, sameName;
    int sameNameResult;
  };
  const Case cases[] = {
      {"child", [](IProject& p, const QString& n) { return p.addChildProject({n, "cond"}); },
       [](IProject& p) { return p.getChildProjectCount(); },
       [](IProject& p, int i, QString& out) {
         ChildProject c{out, ""};
         int rc = p.getChildProjectAt(i, c);
         out = c.name;
         return rc;
       },
       "Lib", "LIB", IProject::kAlreadyExists},
      {"parent", [](IProject& p, const QString& n) { return p.addParentProject(n); },
       [](IProject& p) { return p.getParentProjectCount(); },
       [](IProject& p, int i, QString& out) { return p.getParentProjectAt(i, out); }, "App", "app",
       IProject::kAlreadyExists},
      {"version file", [](IProject& p, const QString& n) { return p.addVersionFile({n, "id"}); },
       [](IProject& p) { return p.getVersionFileCount(); },
       [](IProject& p, int i, QString& out) {
         VersionFileInfo v{out, ""};
         int rc = p.getVersionFileAt(i, v);
         out = v.file;
         return rc;
       },
       "src/Version.h", "src/version.h", 0},
  };
  for (const Case& c : cases) {
    ProjectBuild p(1, "p");
    EXPECT_EQ(0, c.add(p, c.first)) << c.name;
    EXPECT_EQ(IProject::kAlreadyExists, c.add(p, c.first)) << c.name;
    EXPECT_EQ(c.sameNameResult, c.add(p, c.sameName)) << c.name;
    EXPECT_EQ(0, c.add(p, "other")) << c.name;
    const int expectedCount = c.sameNameResult == 0 ? 3 : 2;
    ASSERT_EQ(expectedCount, c.count(p)) << c.name;

    QString got;
    EXPECT_EQ(0, c.at(p, 0, got)) << c.name;
    EXPECT_EQ(c.first, got) << c.name;
    EXPECT_EQ(0, c.at(p, expectedCount - 1, got)) << c.name;
    EXPECT_EQ("other", got) << c.name;
    for (int outside : {-1, expectedCount}) {
      got = "untouched";
      EXPECT_EQ(IProject::kIndexOutOfRange, c.at(p, outside, got)) << c.name << " " << outside;
      EXPECT_EQ("untouched", got) << c.name;
    }
  }
}

TEST(ProjectTest, VersionFilePathsWithEitherSeparatorAreTheSameFile) {
  ProjectBuild p(1, "p");
  EXPECT_EQ(0, p.addVersionFile({"src/Version.h", "a"}));
  EXPECT_EQ(IProject::kAlreadyExists, p.addVersionFile({"src\\Version.h", "b"}));
  EXPECT_EQ(1, p.getVersionFileCount());
}

TEST(ProjectTest, AttributesIgnoreCaseAndKeepTheirOrder) {
  ProjectFiles p(1, "p");
  ProjectAttributes attrs;
  attrs.emplace("beta", "2");
  attrs.emplace("Alpha", "1");
  attrs.emplace("BETA", "ignored");
  attrs.emplace("gamma", "3");
  p.setAttributes(attrs);

  ASSERT_EQ(3, p.getAttributeCount());
  const char* order[][2] = {{"Alpha", "1"}, {"beta", "2"}, {"gamma", "3"}};
  for (int i = 0; i < 3; ++i) {
    QString name, value;
    ASSERT_EQ(0, p.getAttributeAt(i, name, value));
    EXPECT_EQ(order[i][0], name);
    EXPECT_EQ(order[i][1], value);
    QString nameOnly;
    ASSERT_EQ(0, p.getAttributeNameAt(i, nameOnly));
    EXPECT_EQ(order[i][0], nameOnly);
  }
  QString name = "n", value = "v";
  EXPECT_EQ(IProject::kIndexOutOfRange, p.getAttributeAt(-1, name, value));
  EXPECT_EQ(IProject::kIndexOutOfRange, p.getAttributeAt(3, name, value));
  EXPECT_EQ(IProject::kIndexOutOfRange, p.getAttributeNameAt(3, name));
  EXPECT_EQ("n", name);

  EXPECT_TRUE(p.hasAttribute("ALPHA"));
  EXPECT_EQ(0, p.getAttribute("Beta", value));
  EXPECT_EQ("2", value);
  value = "kept";
  EXPECT_EQ(IProject::kNotFound, p.getAttribute("delta", value));
  EXPECT_EQ("kept", value);

  p.setAttributes(ProjectAttributes{{"delta", "4"}});
  EXPECT_EQ(1, p.getAttributeCount());
  EXPECT_FALSE(p.hasAttribute("alpha"));
}

TEST(ProjectTest, FieldsAndOwnPropertiesRoundTrip) {
  ProjectBuild p(3, "p");
  p.setProjectFile("a/p.pro");
  p.setDefFile("rules/varkel.xml");
  p.setDistribution(DistributionInternal);
  p.setProcessed(true);
  FileSetInfo out;
  out.id = "bin";
  out.includes.push_back({"*.so", "", "lib"});
  p.setOutputs({out});
  p.setPlatformMappings({{"x64", "amd64"}});

  EXPECT_EQ("a/p.pro", p.getProjectFile());
  EXPECT_EQ("rules/varkel.xml", p.getDefFile());
  EXPECT_EQ(DistributionInternal, p.getDistribution());
  EXPECT_TRUE(p.isProcessed());
  ASSERT_EQ(1u, p.getOutputs().size());
  EXPECT_EQ("lib", p.getOutputs()[0].includes[0].targetsubdir);
  EXPECT_EQ("amd64", p.getPlatformMappings()[0].to);

  EXPECT_EQ(0, p.getPropertiesSetter()->setStringList("outputs", {"x"}));
  std::vector<QString> list;
  EXPECT_EQ(0, p.getProperties()->getStringList("outputs", list));
  EXPECT_EQ(std::vector<QString>{"x"}, list);
}

}  // namespace
