#pragma once

#include "project/project_common.h"

// A project whose outputs are only copied: it has no build tool.
class ProjectFiles : public ProjectCommon {
 public:
  using ProjectCommon::ProjectCommon;
  ProjectType getType() override { return ProjectTypeFiles; }
  BuildTool getBuildType() override { return BuildToolUnknown; }
};
