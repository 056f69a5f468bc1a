#pragma once

namespace xml_codes {

// Result codes of the job-file reader and the task-element parsers.
enum ResultCode : int {
  kOk = 0,
  kNullArgument = 3,
  kAlreadyActive = 10,
  kPropertiesFileMissing = 205,
  kNotFound = 301,
  kNoTaskHolder = 306,
  kNoParserFactory = 307,
  kNoMacro = 309,
  kNoMacrodefProvider = 310,
  kCannotOpen = 501,
  kNotWellFormed = 502,
  kIncludeCycle = 503,
  kNestedTooDeeply = 504,
  kIncludesNestedTooDeeply = 505,
  kEmptyVariableName = 701,
  kEmptyMacrodefName = 802,
  kNoTaskFactory = 803,
};

}  // namespace xml_codes
