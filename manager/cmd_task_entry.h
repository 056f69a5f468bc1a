#pragma once

#include "core/properties_mgr.h"

#include <cstdint>

// One "-build" group of the command line: the projects to build and their options.
struct CmdTaskEntry {
  static constexpr std::uint32_t kBuild = 1;

  std::uint32_t kind = kBuild;
  // "projectNames" (a string list), and "output", "configuration", "target",
  // "platform" when given.
  PropertiesMgrUnsafe properties;
};
