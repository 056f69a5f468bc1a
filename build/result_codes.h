#pragma once

namespace build_codes {

// Result codes of the 'build rules' walk and reader, the project tasks and the version files.
enum ResultCode : int {
  kOk = 0,
  kEmptyPath = 2,
  kNullArgument = 3,
  // A build task asked to start before it had a builder.
  kNoBuilder = 4,
  kCannotOpenFile = 20,
  kPathNotFound = 21,
  kAlreadyProcessed = 41,
  kTargetsNestedTooDeeply = 42,
  kFileNotFound = 72,
  // No output directory; a project task without a project name gives the same code.
  kNotDefined = 304,
  kNoProjectName = 304,
  kNoProjectFile = 305,
  kNoVersion = 335,
  kNoVersionFiles = 339,
  kVersionFileUnreadable = 340,
  kUnsupportedBuildType = 360,
  kQmakeNotFound = 370,
  kNoMakeCommand = 371,
  kNoOutputBuildDir = 372,
  kQmakeFailed = 373,
  kMakeFailed = 374,
  kUnknownProject = 400,
};

}  // namespace build_codes
