#pragma once

namespace core_codes {

// Result codes of the core services.
enum ResultCode : int {
  kOk = 0,
  kCopyFailed = 74,
  kEmptyTarget = 304,
  kEmptySource = 337,
  kSourceNotFound = 338,
};

}  // namespace core_codes
