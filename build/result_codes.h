#pragma once

namespace build_codes {

// Result codes of the 'build rules' walk and reader, and of the project tasks.
enum ResultCode : int {
  kOk = 0,
  kEmptyPath = 2,
  kPathNotFound = 21,
  kAlreadyProcessed = 41,
  kTargetsNestedTooDeeply = 42,
  // No output directory, or no project name, for a copy of project files.
  kNotDefined = 304,
  kProjectNotFound = 400,
};

}  // namespace build_codes
