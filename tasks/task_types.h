#pragma once

// Type ids of the task classes that live above the task engine (in build/), for the
// element parsers and the driver, which name them when they ask the factory for a task.
namespace task_types {

inline constexpr unsigned int kBuild = 1;
inline constexpr unsigned int kCopyProjectFiles = 2;
inline constexpr unsigned int kSetProjectVersion = 4;
inline constexpr unsigned int kVersionFileRead = 250;
inline constexpr unsigned int kVersionFileWrite = 251;

}  // namespace task_types
