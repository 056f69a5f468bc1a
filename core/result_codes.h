#pragma once

namespace core_codes {

// Result codes of the core services.
enum ResultCode : int {
  kOk = 0,
  kSystemCallFailed = 5,
  kCannotOpen = 20,
  // A stop came: the work ended between two files.
  kInterrupted = 30,
  kNotFound = 60,
  kCopyFailed = 74,
  kAlreadyRunning = 80,
  kFailedToStart = 81,
  // The program ran, but what it wrote could not all be put into the output file.
  kOutputNotWritten = 82,
  kPropertyMissing = 200,
  kUnsupported = 201,
  kNoEquals = 204,  // also a property line holding a NUL character
  kEmptyTarget = 304,
  kEmptySource = 337,
  kSourceNotFound = 338,
  kReadOnly = 700,
  kRefersToItself = 702,
  // A text would outgrow kMaxTextLength: expansion, a stored value or a function result.
  kTextTooLong = 703,
};

}  // namespace core_codes
