#pragma once

namespace project_codes {

// Result codes of the project model.
enum ResultCode : int {
  kOk = 0,
  kNullProject = 3,
};

}  // namespace project_codes
