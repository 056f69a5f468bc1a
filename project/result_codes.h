#pragma once

namespace project_codes {

// Result codes of the project model.
enum ResultCode : int {
  kOk = 0,
  kIndexOutOfRange = 2,
  kNullProject = 3,
  kAlreadyExists = 40,
  kNotFound = 60,
};

}  // namespace project_codes
