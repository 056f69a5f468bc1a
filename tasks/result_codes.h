#pragma once

namespace task_codes {

// Result codes of the task engine and the standard tasks.
enum ResultCode : int {
  kOk = 0,
  kCannotOpenFile = 20,
  kNotDefined = 71,
  kFileNotFound = 72,
  kFileExists = 73,
  kCopyFailed = 74,
  kRenameFailed = 75,
  kCreateDirectoryFailed = 315,
  kNoDestination = 319,
  kDirectoryNotFound = 321,
  kRemoveDirectoryFailed = 322,
  kRemoveFileFailed = 323,
  kSetCurrentDirectoryFailed = 324,
};

}  // namespace task_codes
