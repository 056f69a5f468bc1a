#include "intr/interpreter.h"

#include "intr/expression_nodes.h"
#include "intr/func_common.h"

#include <gtest/gtest.h>

namespace {

class ConstantFunction : public intr::FuncCommon {
 public:
  ConstantFunction(const char* name, const char* value)
      : FuncCommon(nullptr, nullptr), name_(QLatin1String(name)), value_(QLatin1String(value)) {}
  QString name() const override { return name_; }
  int argCount() const override { return 0; }
  int execute(const std::vector<QString>&, QString* result) override {
    *result = value_;
    return 0;
  }

 private:
  QString name_;
  QString value_;
};

TEST(Interpreter, LookupIgnoresCaseAndMatchesWholeNames) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  for (const char* name : {"IsEmpty", "isempty", "ISEMPTY", "IsOs", "isoslinux"}) {
    EXPECT_TRUE(interpreter.hasFunction(QLatin1String(name))) << name;
    EXPECT_EQ(interpreter.overloadCount(QLatin1String(name)), 1) << name;
    EXPECT_NE(interpreter.function(QLatin1String(name)), nullptr) << name;
  }
  for (const char* name : {"", "IsOsW", "IsOsLinuxX", "Is", "Zzz", "AAA"}) {
    EXPECT_FALSE(interpreter.hasFunction(QLatin1String(name))) << name;
    EXPECT_EQ(interpreter.overloadCount(QLatin1String(name)), 0) << name;
    EXPECT_EQ(interpreter.function(QLatin1String(name)), nullptr) << name;
    intr::FunctionInfo info;
    EXPECT_FALSE(interpreter.functionInfo(QLatin1String(name), 0, &info)) << name;
  }
  intr::FunctionInfo info;
  ASSERT_TRUE(interpreter.functionInfo(QStringLiteral("isos"), 0, &info));
  EXPECT_EQ(info.argCount(), 1u);
  EXPECT_TRUE(info.isVariadic());
  ASSERT_TRUE(interpreter.functionInfo(QStringLiteral("REPLACEALL"), 5, &info));
  EXPECT_EQ(info.argCount(), 3u);
  EXPECT_FALSE(info.isVariadic());
}

TEST(Interpreter, RegistersTheBuiltInsInOrder) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  const char* const names[] = {
      "ExistsProperty", "IsEmpty", "IsTrue", "IsFalse", "ReplaceAll", "Contains", "ContainsIgnoreCase",
      "ExistsFile", "ExistsDir", "CombinePath", "ExtractParentDir", "GetBuildConfiguration",
      "GetBuildPlatform", "GetBuildTarget", "GetComputerName", "GetDomainName", "GetUserName",
      "GetUserSid", "AddToList", "AddToListUnique", "RemoveDuplicates", "IsOs", "IsOsWindows",
      "IsOsMacos", "IsOsLinux"};
  for (const char* name : names) {
    intr::IFunction* f = interpreter.function(QLatin1String(name));
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(f->name(), QLatin1String(name));
  }
}

TEST(Interpreter, FirstRegistrationOfANameWins) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  interpreter.registerFunction(new ConstantFunction("Mine", "first"));
  interpreter.registerFunction(new ConstantFunction("MINE", "second"));
  interpreter.registerFunction(new ConstantFunction("isoslinux", "shadow"));
  interpreter.registerFunction(nullptr);
  QString result;
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("mine()"), &result), 0);
  EXPECT_EQ(result, QStringLiteral("first"));
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("IsOsLinux()"), &result), 0);
  EXPECT_EQ(result, QStringLiteral("true"));
}

TEST(Interpreter, TextWithoutTreeLeavesResult) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  for (const char* text : {" ", "\t\r\n", "IsEmpty()", ")", "a =="}) {
    QString result = QStringLiteral("untouched");
    EXPECT_EQ(interpreter.evaluate(QLatin1String(text), &result), 0) << text;
    EXPECT_EQ(result, QStringLiteral("untouched")) << text;
    EXPECT_EQ(interpreter.tree(), nullptr);
  }
}

TEST(Interpreter, KeepsTheTreeOnlyWhenCompileFails) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  QString result;
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("a or (b"), &result), 2030);
  ASSERT_NE(interpreter.tree(), nullptr);
  EXPECT_EQ(interpreter.tree()->childCount(), 1);
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("x"), &result), 0);
  EXPECT_EQ(interpreter.tree(), nullptr);
}

TEST(Interpreter, IdsKeepGrowingOverEvaluations) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  ASSERT_EQ(interpreter.compile(QStringLiteral("a == b")), 0);
  EXPECT_EQ(interpreter.tree()->describe(), QStringLiteral("Binary operation 'Equal' (ID:2)"));
  QString result;
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("x"), &result), 0);
  ASSERT_EQ(interpreter.compile(QStringLiteral("y")), 0);
  EXPECT_EQ(interpreter.tree()->describe(), QStringLiteral("Variable 'y' (ID:5)"));
}

}  // namespace
