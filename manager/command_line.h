#pragma once

#include "manager/cmd_task_entry.h"

#include <QString>

#include <optional>
#include <vector>

// What the arguments ask for, as given: the paths are neither expanded nor made
// absolute. A path option that occurs more than once keeps its last value.
struct CommandLine {
  std::optional<QString> jobFile;         // -job
  std::optional<QString> propertiesFile;  // -properties
  std::optional<QString> manifestFile;    // -pmanifest: the scan starts in its directory
  std::vector<CmdTaskEntry> groups;       // one per -build, in order
};

// Reads argv[1] to argv[argc - 1] (argv[0] is the program) as UTF-8. Options match
// exactly, letter case included. A -build group is open until the next -build;
// while one is open, every argument that is neither an option nor an option's value
// names a project. An option takes the next argument as its value unless that is
// missing or an option. Never fails: unknown options, values without a place to go
// and missing values are passed over.
CommandLine readCommandLine(int argc, const char* const* argv);
