#pragma once

// The type ids of the project tasks, known below the folder that holds their classes:
// the element parsers and the driver name them when they ask the factory for a task.
namespace project_task_types {

inline constexpr unsigned int kBuild = 1;
inline constexpr unsigned int kCopyProjectFiles = 2;
inline constexpr unsigned int kSetProjectVersion = 4;

}  // namespace project_task_types
