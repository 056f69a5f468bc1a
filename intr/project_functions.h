#pragma once

#include "intr/func_common.h"

namespace intr {

// The built-in functions over the project table. Lists are names joined by ","
// without blanks; paths are resolved against the project's definition file.
#define VARKEL_PROJECT_FUNCTION(Class, Name, Count)                                \
  class Class : public FuncProject {                                               \
   public:                                                                         \
    using FuncProject::FuncProject;                                                \
    QString name() const override { return QStringLiteral(Name); }                 \
    int argCount() const override { return Count; }                                \
    [[nodiscard]] int execute(const std::vector<QString>& args, QString* result) override; \
  }

// A function of the project that its first argument names.
#define VARKEL_ONE_PROJECT_FUNCTION(Class, Name, Count)                                          \
  class Class : public FuncOneProject {                                                          \
   public:                                                                                       \
    using FuncOneProject::FuncOneProject;                                                        \
    QString name() const override { return QStringLiteral(Name); }                               \
    int argCount() const override { return Count; }                                              \
                                                                                                 \
   protected:                                                                                    \
    [[nodiscard]] int executeOn(IProject* project, const std::vector<QString>& args, QString* result) override; \
  }

VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectAttribute, "GetProjectAttribute", 2);
VARKEL_ONE_PROJECT_FUNCTION(FuncExistsProjectAttribute, "ExistsProjectAttribute", 2);
VARKEL_PROJECT_FUNCTION(FuncGetAllProjects, "GetAllProjects", 0);
VARKEL_PROJECT_FUNCTION(FuncGetAllProjectsByFilter, "GetAllProjectsByFilter", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetAllChildProjects, "GetAllChildProjects", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectFilterName, "GetProjectFilterName", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectFile, "GetProjectFile", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectDir, "GetProjectDir", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectDefFile, "GetProjectDefFile", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectFinalOutDirById, "GetProjectFinalOutDirById", 3);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectFinalOutDir, "GetProjectFinalOutDir", 2);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectOutDirById, "GetProjectOutDirById", 2);
VARKEL_PROJECT_FUNCTION(FuncGetProjectOutDirIdByPath, "GetProjectOutDirIdByPath", 2);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectOutDirIds, "GetProjectOutDirIds", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectOutDirs, "GetProjectOutDirs", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetChildProjects, "GetChildProjects", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectVerFileById, "GetProjectVerFileById", 2);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectVerFileCount, "GetProjectVerFileCount", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectVerFileIds, "GetProjectVerFileIds", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectVerFiles, "GetProjectVerFiles", 1);
VARKEL_PROJECT_FUNCTION(FuncGetAllBuildProjects, "GetAllBuildProjects", 0);
VARKEL_PROJECT_FUNCTION(FuncGetAllLibs, "GetAllLibs", 0);
VARKEL_ONE_PROJECT_FUNCTION(FuncIsBuildProject, "IsBuildProject", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncIsLib, "IsLib", 1);
// These two take any arguments and look at none.
VARKEL_PROJECT_FUNCTION(FuncGetAllProductProjects, "GetAllProductProjects", 0);
VARKEL_PROJECT_FUNCTION(FuncGetAllInternalProjects, "GetAllInternalProjects", 0);
VARKEL_ONE_PROJECT_FUNCTION(FuncGetProjectDistribution, "GetProjectDistribution", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncIsProductProject, "IsProductProject", 1);
VARKEL_ONE_PROJECT_FUNCTION(FuncIsInternalProject, "IsInternalProject", 1);

#undef VARKEL_PROJECT_FUNCTION
#undef VARKEL_ONE_PROJECT_FUNCTION

// Variadic: at least one distribution name; the names are not split at commas.
class FuncGetAllProjectsByDistribution : public FuncProject {
 public:
  using FuncProject::FuncProject;
  QString name() const override { return QStringLiteral("GetAllProjectsByDistribution"); }
  int argCount() const override { return 1; }
  bool isVariadic() const override { return true; }
  [[nodiscard]] int execute(const std::vector<QString>& args, QString* result) override;
};

}  // namespace intr
