#pragma once

namespace intr {

// Result codes of the condition language.
enum ResultCode : int {
  kOk = 0,
  kNullArgument = 3,
  kNoProjectName = 314,
  kUnknownProject = 400,
  kNoProjectsProvider = 404,
  kBadOperandCount = 2000,
  kNoFunctionsProvider = 2001,
  kUnknownFunction = 2002,
  kNoMatchingOverload = 2003,
  kNoImplementation = 2004,
  kWrongArgumentCount = 2005,
  kEndOfText = 2007,
  kEmptyText = 2008,
  kNoLexer = 2009,
  kEmptyPath = 2011,
  kMissingCloseBracket = 2030,
  kNoTokenInArguments = 2031,
  kBadArgument = 2032,
  kMissingComma = 2033,
  kBadArguments = 2034,
  kNestedTooDeeply = 2035,
  kChildIndexOutOfRange = 909090,
};

}  // namespace intr
