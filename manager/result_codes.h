#pragma once

namespace manager_codes {

// Result codes of the driver.
enum ResultCode : int {
  kOk = 0,
  kNullTask = 3,
  kAlreadyRunning = 10,
  kJobNotFound = 20,
  // An interruption with an error whose tasks all returned 0.
  kInterrupted = 30,
  kProjectDefinedTwice = 402,
  kNoScanDirectory = 500,
};

}  // namespace manager_codes
