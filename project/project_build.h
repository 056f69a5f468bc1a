#pragma once

#include "project/project_common.h"

// A project built by a tool.
class ProjectBuild : public ProjectCommon {
 public:
  using ProjectCommon::ProjectCommon;
  ProjectType getType() override { return ProjectTypeBuild; }
};
