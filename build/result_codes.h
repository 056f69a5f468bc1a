#pragma once

namespace build_codes {

// Result codes of the project tasks.
enum ResultCode : int {
  kOk = 0,
  // No output directory, or no project name, for a copy of project files.
  kNotDefined = 304,
  kProjectNotFound = 400,
};

}  // namespace build_codes
