#pragma once

#include "core/file_set_info.h"
#include "project/iproject.h"

#include <QString>

#include <utility>
#include <vector>

// A project this solution depends on, and the condition under which it does.
struct DependenceInfo {
  QString name;
  QString condition;
};

// One enabled, valid solution of a 'build rules' file.
struct SolutionInfo {
  int type = ProjectTypeUnknown;
  int buildType = BuildToolUnknown;
  int distribution = DistributionProduct;
  QString name;
  QString projectFile;
  QString rulesFile;
  QString solutionDir;
  QString condition;
  QString comment;
  QString filter;
  QString platformToolset;
  std::vector<VersionFileInfo> versionFiles;
  std::vector<PlatformMapping> platformMappings;
  std::vector<DependenceInfo> dependences;
  std::vector<FileSetInfo> outputs;
  ProjectAttributes attributes;
};
