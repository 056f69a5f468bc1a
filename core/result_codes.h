#pragma once

namespace core_codes {

// Result codes of the core services.
enum ResultCode : int {
  kOk = 0,
  kCannotOpenFile = 20,
  kBadPropertyLine = 204,
  kReadOnly = 700,
  kRefersToItself = 702,
  // A text would outgrow kMaxTextLength: expansion, a stored value or a function result.
  kTextTooLong = 703,
};

}  // namespace core_codes
