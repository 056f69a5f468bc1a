#pragma once

namespace build_codes {

// Result codes of the 'build rules' walk and reader, and of the project tasks.
enum ResultCode : int {
  kOk = 0,
  kEmptyPath = 2,
  // A build task asked to start before it had a builder.
  kNoBuilder = 4,
  kPathNotFound = 21,
  kAlreadyProcessed = 41,
  kTargetsNestedTooDeeply = 42,
  // No output directory, or no project name, for a copy of project files.
  kNotDefined = 304,
  kNoProjectFile = 305,
  kNoProjectName = 314,
  kUnsupportedBuildType = 360,
  kQmakeNotFound = 370,
  kNoMakeCommand = 371,
  kNoOutputBuildDir = 372,
  kQmakeFailed = 373,
  kMakeFailed = 374,
  kProjectNotFound = 400,
};

}  // namespace build_codes
