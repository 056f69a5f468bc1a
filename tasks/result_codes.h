#pragma once

namespace task_codes {

// Result codes of the task engine and the standard tasks.
enum ResultCode : int {
  kOk = 0,
  kUnknownTaskType = 2,
  kNullArgument = 3,
  kSystemCallFailed = 5,
  kCannotOpenFile = 20,
  kIndexOutOfRange = 60,
  kNotDefined = 71,
  kFileNotFound = 72,
  kFileExists = 73,
  kCopyFailed = 74,
  kRenameFailed = 75,
  kNoMacrodefProvider = 308,
  kNoMacrodef = 309,
  kCallWithoutMacrodef = 310,
  kMacroCallsNestedTooDeeply = 311,
  kNoProjectName = 314,
  kTasksNestedTooDeeply = 315,
  kCreateDirectoryFailed = 315,
  kNoCommand = 316,
  kNoDestination = 319,
  kDirectoryNotFound = 321,
  kRemoveDirectoryFailed = 322,
  kRemoveFileFailed = 323,
  kSetCurrentDirectoryFailed = 324,
  kNoConditionHandler = 341,
  kExpandSysVarFailed = 343,
  kRunSystemFailed = 351,
  kGetSysVarFailed = 352,
  kSetSysVarFailed = 353,
  kNoProjectsProvider = 404,
};

}  // namespace task_codes
