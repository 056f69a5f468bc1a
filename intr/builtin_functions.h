#pragma once

#include "intr/func_common.h"

namespace intr {

// The built-in functions that do not need the project table. Each answers to its
// name in any letter case; argCount is exact unless the class is variadic.
#define VARKEL_BUILTIN(Class, Name, Count)                                                 \
  class Class : public FuncCommon {                                                        \
   public:                                                                                 \
    using FuncCommon::FuncCommon;                                                          \
    QString name() const override { return QStringLiteral(Name); }                         \
    int argCount() const override { return Count; }                                        \
    [[nodiscard]] int execute(const std::vector<QString>& args, QString* result) override; \
  }

VARKEL_BUILTIN(FuncExistsProperty, "ExistsProperty", 1);
VARKEL_BUILTIN(FuncIsEmpty, "IsEmpty", 1);
VARKEL_BUILTIN(FuncIsTrue, "IsTrue", 1);
VARKEL_BUILTIN(FuncIsFalse, "IsFalse", 1);
VARKEL_BUILTIN(FuncReplaceAll, "ReplaceAll", 3);
VARKEL_BUILTIN(FuncContains, "Contains", 2);
VARKEL_BUILTIN(FuncContainsIgnoreCase, "ContainsIgnoreCase", 2);
VARKEL_BUILTIN(FuncExistsFile, "ExistsFile", 1);
VARKEL_BUILTIN(FuncExistsDir, "ExistsDir", 1);
VARKEL_BUILTIN(FuncCombinePath, "CombinePath", 2);
VARKEL_BUILTIN(FuncExtractParentDir, "ExtractParentDir", 1);
VARKEL_BUILTIN(FuncGetBuildConfiguration, "GetBuildConfiguration", 0);
VARKEL_BUILTIN(FuncGetBuildPlatform, "GetBuildPlatform", 0);
VARKEL_BUILTIN(FuncGetBuildTarget, "GetBuildTarget", 0);
VARKEL_BUILTIN(FuncGetComputerName, "GetComputerName", 0);
VARKEL_BUILTIN(FuncGetDomainName, "GetDomainName", 0);
VARKEL_BUILTIN(FuncGetUserName, "GetUserName", 0);
VARKEL_BUILTIN(FuncGetUserSid, "GetUserSid", 0);
VARKEL_BUILTIN(FuncAddToList, "AddToList", 2);
VARKEL_BUILTIN(FuncAddToListUnique, "AddToListUnique", 2);
VARKEL_BUILTIN(FuncRemoveDuplicates, "RemoveDuplicates", 1);
VARKEL_BUILTIN(FuncIsOsWindows, "IsOsWindows", 0);
VARKEL_BUILTIN(FuncIsOsMacos, "IsOsMacos", 0);
VARKEL_BUILTIN(FuncIsOsLinux, "IsOsLinux", 0);

#undef VARKEL_BUILTIN

// Variadic: at least one argument.
class FuncIsOs : public FuncCommon {
 public:
  using FuncCommon::FuncCommon;
  QString name() const override { return QStringLiteral("IsOs"); }
  int argCount() const override { return 1; }
  bool isVariadic() const override { return true; }
  [[nodiscard]] int execute(const std::vector<QString>& args, QString* result) override;
};

}  // namespace intr
