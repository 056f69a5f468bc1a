#include "intr/builtin_functions.h"

#include "core/variables_mgr.h"
#include "intr/interpreter.h"
#include "intr_fakes.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using intr_testing::FakeExpander;

struct FuncCase {
  const char* name;
  const char* text;
  const char* result;
  int code;
};

class BuiltinFunctions : public testing::TestWithParam<FuncCase> {};

TEST_P(BuiltinFunctions, Result) {
  const FuncCase& c = GetParam();
  VariablesMgr vars;
  EXPECT_EQ(0, vars.set(QStringLiteral("known"), QStringLiteral("x")));
  EXPECT_EQ(0, vars.set(QStringLiteral("ref"), QStringLiteral("known")));
  EXPECT_EQ(0, vars.set(QStringLiteral("internal.current.build.target"), QStringLiteral("release")));
  EXPECT_EQ(0, vars.set(QStringLiteral("this.user.name"), QStringLiteral("builder")));
  FakeExpander expander(&vars);
  intr::Interpreter interpreter;
  interpreter.init(&expander, &vars, nullptr);
  QString result = QStringLiteral("untouched");
  EXPECT_EQ(interpreter.evaluate(QString::fromUtf8(c.text), &result), c.code);
  EXPECT_EQ(result.toStdString(), c.result);
}

const FuncCase kFuncCases[] = {
    {"IsEmptyApostrophes", "IsEmpty('')", "true", 0},
    {"IsEmptyDoubleQuotes", "IsEmpty(\"\")", "true", 0},
    {"IsEmptyBlankIsText", "IsEmpty(' ')", "false", 0},
    {"IsEmptyWord", "isempty(x)", "false", 0},
    {"IsEmptyWithoutArgumentIsNoCall", "IsEmpty()", "untouched", 0},
    {"IsTrueQuoted", "IsTrue(' Yes ')", "true", 0},
    {"IsTrueOther", "IsTrue(2)", "false", 0},
    {"IsFalse", "IsFalse(\"NO\")", "true", 0},
    {"IsFalseEmpty", "IsFalse('')", "false", 0},
    {"ExistsPropertyExpands", "ExistsProperty('${ref}')", "true", 0},
    {"ExistsPropertyIgnoresCase", "ExistsProperty(KNOWN)", "true", 0},
    {"ExistsPropertyMissing", "ExistsProperty(nope)", "false", 0},
    {"ExistsPropertyEmpty", "ExistsProperty('')", "false", 0},
    {"OthersDoNotExpandLists", "AddToList('${known}', '${ref}')", "${known},${ref}", 0},
    {"OthersDoNotExpandTexts", "Contains('${known}', x)", "false", 0},
    {"ReplaceAllRemoves", "ReplaceAll('a-b-c', '-', '')", "abc", 0},
    {"ReplaceAllMatchesCase", "ReplaceAll('abc', 'B', 'x')", "abc", 0},
    {"ReplaceAllEmptyFrom", "ReplaceAll('abc', '', 'x')", "abc", 0},
    {"ContainsMatchesCase", "Contains('Hello', 'ell') and not Contains('Hello', 'ELL')", "true", 0},
    {"ContainsIgnoreCase", "ContainsIgnoreCase('Hello', 'ELL')", "true", 0},
    {"BuildTargetSet", "GetBuildTarget()", "release", 0},
    {"BuildConfigurationUnsetIsEmpty", "GetBuildConfiguration()", "", 0},
    {"UserNameSet", "GetUserName()", "builder", 0},
    {"ComputerNameUnsetUntouched", "GetComputerName()", "untouched", 0},
    {"AddToList", "AddToList('a,b', 'c')", "a,b,c", 0},
    {"AddToListAfterComma", "AddToList('a,', 'c')", "a,c", 0},
    {"AddToListEmptyList", "AddToList('', 'c')", "c", 0},
    {"AddToListEmptyItemKeepsQuotes", "AddToList('a', '')", "'a'", 0},
    {"AddToListItemStartsWithComma", "AddToList(a, ',b')", "a,b", 0},
    {"AddToListUnique", "AddToListUnique('a, b,,c', 'B,d,d')", "a,b,c,d", 0},
    {"AddToListUniqueKeepsListRepeats", "AddToListUnique('a,a', 'A')", "a,a", 0},
    {"AddToListUniqueEmptyList", "AddToListUnique('', ' x, X ')", "x, X", 0},
    {"AddToListUniqueEmptyItemKeepsQuotes", "AddToListUnique(' \"l\" ', '')", "' \"l\" '", 0},
    {"RemoveDuplicates", "RemoveDuplicates('x,X, y,,y')", "x,y", 0},
    {"RemoveDuplicatesSingle", "RemoveDuplicates('x')", "x", 0},
    {"RemoveDuplicatesEmpty", "RemoveDuplicates('')", "", 0},
    {"IsOsOwnName", "IsOs('LINUX')", "true", 0},
    {"IsOsListHolds", "IsOs('windows,linux')", "true", 0},
    {"IsOsFirstPlainArgumentDecides", "IsOs('windows', 'linux')", "false", 0},
    {"IsOsListMissesThenNext", "IsOs('mac,windows', 'linux')", "true", 0},
    {"IsOsEmptySkipped", "IsOs('', linux)", "true", 0},
    {"IsOsOther", "IsOs(windows)", "false", 0},
    {"IsOsLinux", "IsOsLinux()", "true", 0},
    {"IsOsWindows", "IsOsWindows()", "false", 0},
    {"IsOsMacos", "IsOsMacos()", "false", 0},
    {"CombinePath", "CombinePath('/a', 'b')", "/a/b", 0},
    {"CombinePathEmptyBase", "CombinePath('', 'x')", "x", 0},
    {"ExtractParentDir", "ExtractParentDir('/a/b/')", "/a/", 0},
    {"ExtractParentDirEmpty", "ExtractParentDir('')", "", 0},
    {"ExtractParentDirBareName", "ExtractParentDir(name)", "", 0},
};

INSTANTIATE_TEST_SUITE_P(Functions, BuiltinFunctions, testing::ValuesIn(kFuncCases),
                         [](const testing::TestParamInfo<FuncCase>& row) { return row.param.name; });

TEST(BuiltinFunctionsFiles, ExistsFileAndDir) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("f.txt"));
  testing_support::writeFile(file, QByteArray());
  QString backslashed = file;
  backslashed.replace(QLatin1Char('/'), QLatin1Char('\\'));
  struct Case {
    QString text;
    const char* result;
  };
  const Case cases[] = {
      {"ExistsFile('" + file + "')", "true"},
      {"ExistsFile('" + backslashed + "')", "true"},
      {"ExistsFile('" + dir.path() + "')", "true"},
      {"ExistsFile('" + dir.filePath(QStringLiteral("none")) + "')", "false"},
      {QStringLiteral("ExistsFile('')"), "false"},
      {"ExistsDir('" + dir.path() + "')", "true"},
      {"ExistsDir('" + file + "')", "false"},
      {QStringLiteral("ExistsDir('')"), "false"},
  };
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  for (const Case& c : cases) {
    QString result;
    EXPECT_EQ(interpreter.evaluate(c.text, &result), 0) << c.text.toStdString();
    EXPECT_EQ(result.toStdString(), c.result) << c.text.toStdString();
  }
}

TEST(BuiltinFunctionsDirect, WrongArgumentCountLeavesResult) {
  VariablesMgr vars;
  intr::FuncIsEmpty isEmpty(nullptr, &vars);
  intr::FuncReplaceAll replaceAll(nullptr, &vars);
  intr::FuncIsOs isOs(nullptr, &vars);
  intr::FuncGetUserSid userSid(nullptr, &vars);
  struct Case {
    intr::IFunction* function;
    std::vector<QString> args;
  };
  const Case cases[] = {
      {&isEmpty, {}},
      {&isEmpty, {QStringLiteral("a"), QStringLiteral("b")}},
      {&replaceAll, {QStringLiteral("a"), QStringLiteral("b")}},
      {&isOs, {}},
      {&userSid, {QStringLiteral("a")}},
  };
  for (const Case& c : cases) {
    QString result = QStringLiteral("untouched");
    EXPECT_EQ(c.function->execute(c.args, &result), 2005) << c.function->name().toStdString();
    EXPECT_EQ(result, QStringLiteral("untouched"));
  }
}

TEST(BuiltinFunctionsDirect, WithoutGetter) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  QString result = QStringLiteral("untouched");
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("GetUserName()"), &result), 0);
  EXPECT_EQ(result, QStringLiteral("untouched"));
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("GetBuildTarget()"), &result), 0);
  EXPECT_EQ(result, QString());
  ASSERT_EQ(interpreter.evaluate(QStringLiteral("ExistsProperty(x)"), &result), 0);
  EXPECT_EQ(result, QStringLiteral("false"));
}

}  // namespace
