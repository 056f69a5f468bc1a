#pragma once

namespace build_codes {

// Result codes of the 'build rules' walk and reader.
enum ResultCode : int {
  kOk = 0,
  kEmptyPath = 2,
  kPathNotFound = 21,
  kAlreadyProcessed = 41,
  kTargetsNestedTooDeeply = 42,
};

}  // namespace build_codes
