#pragma once

namespace platform_codes {

// The native error numbers that the platform layer gives besides errno.
enum ResultCode : int {
  kOk = 0,
  kFileNotFound = 2,
  kInvalidParameter = 87,
  kEnvironmentVariableNotFound = 203,
};

}  // namespace platform_codes
