#pragma once

namespace manager_codes {

// Result codes of the driver.
enum ResultCode : int {
  kOk = 0,
  kNullTask = 3,
  kAlreadyRunning = 10,
  kJobNotFound = 20,
  kCannotCreateProjectTask = 300,
  kTasksNestedTooDeeply = 315,
  kCannotAddChildTask = 342,
  kProjectNotFound = 400,
  kCannotReadDependence = 401,
  kProjectDefinedTwice = 402,
  kInvalidProjectType = 403,
  kNoScanDirectory = 500,
};

}  // namespace manager_codes
