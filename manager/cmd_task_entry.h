#pragma once

#include "core/latin1_literal.h"
#include "core/properties_mgr.h"

#include <cstdint>

// One "-build" group of the command line: the projects to build and their options.
struct CmdTaskEntry {
  static constexpr std::uint32_t kBuild = 1;

  // The property names, present only when given.
  static constexpr QLatin1String kProjectNames = latin1("projectNames");  // a string list
  static constexpr QLatin1String kOutput = latin1("output");
  static constexpr QLatin1String kConfiguration = latin1("configuration");
  static constexpr QLatin1String kTarget = latin1("target");
  static constexpr QLatin1String kPlatform = latin1("platform");

  std::uint32_t kind = kBuild;
  PropertiesMgrUnsafe properties;
};
