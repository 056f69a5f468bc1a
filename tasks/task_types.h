#pragma once

// Type ids of the task classes that live above the task engine (in build/), for the
// element parsers, which cannot see those classes.
namespace task_types {

constexpr unsigned kBuild = 1;
constexpr unsigned kSetProjectVersion = 4;
constexpr unsigned kVersionFileRead = 250;
constexpr unsigned kVersionFileWrite = 251;

}  // namespace task_types
