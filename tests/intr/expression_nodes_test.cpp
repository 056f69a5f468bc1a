#include "intr/expression_nodes.h"

#include "intr/function.h"
#include "intr/interpreter.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct EvalCase {
  const char* name;
  const char* text;
  const char* result;
  int code;
};

class EvaluationTable : public testing::TestWithParam<EvalCase> {};

TEST_P(EvaluationTable, Result) {
  const EvalCase& c = GetParam();
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  QString result = QStringLiteral("untouched");
  EXPECT_EQ(interpreter.evaluate(QString::fromUtf8(c.text), &result), c.code);
  EXPECT_EQ(result.toStdString(), c.result);
}

const EvalCase kEvalCases[] = {
    {"SameWord", "a == a", "true", 0},
    {"QuotedAndBare", "'x' == x", "true", 0},
    {"TextIgnoresCase", "'a b' == 'A B'", "true", 0},
    {"MixedCase", "Abc == aBC", "true", 0},
    {"QuotesNestedBothWays", "'\"v\"' == V", "true", 0},
    {"IntegersNotText", "2 less 10", "true", 0},
    {"TextOrderWhenNotNumbers", "2a less 10a", "false", 0},
    {"LeadingZeros", "007 == 7", "true", 0},
    {"Negative", "-5 less 3", "true", 0},
    {"IntegersKeepAll64Bits", "9223372036854775807 great 9223372036854775806", "true", 0},
    {"DoublesWhenNotIntegers", "7.0 == 7", "true", 0},
    {"Exponent", "1e3 == 1000", "true", 0},
    {"DoubleOrder", "2.5 less 10", "true", 0},
    {"NumberAgainstText", "10 less a", "true", 0},
    {"TextAgainstNumber", "a great 10", "true", 0},
    {"TextAgainstNumberNotEqual", "x noteq 1", "true", 0},
    {"NanEqualsNothing", "nan == nan", "false", 0},
    {"NanUnequal", "nan != nan", "true", 0},
    {"NanUnordered", "nan egreat 1", "false", 0},
    {"TextGreatIgnoresCase", "B great a", "true", 0},
    {"Great", "10 great 9", "true", 0},
    {"EqualOrGreat", "10 egreat 10", "true", 0},
    {"EqualOrLess", "9 eless 10", "true", 0},
    {"NotEqualIgnoresCase", "a noteq A", "false", 0},
    {"QuotedBlanksStayInComparison", "' a' == a", "false", 0},
    {"OrTrueWord", "true or x", "true", 0},
    {"AndTrueWords", "yes and 1", "true", 0},
    {"OrFalseWords", "false or 0", "false", 0},
    {"AndNeedsBoth", "x and true", "false", 0},
    {"TrueWordsIgnoreCase", "OK and TRUE", "true", 0},
    {"QuotedTrueWords", "'true' and \"yes\"", "true", 0},
    {"QuotedBlankIsNotTrue", "' true' or x", "false", 0},
    {"NotOfWord", "!x", "true", 0},
    {"NotOfQuotedTrue", "!'TRUE'", "false", 0},
    {"NotTrimsInsideQuotes", "! ' ok '", "false", 0},
    {"NotOfNo", "not no", "true", 0},
    {"NotOfEmpty", "!''", "true", 0},
    {"ComparisonResultsCompose", "1 less 2 and b == B or false", "true", 0},
    {"WordIsItself", "word", "word", 0},
    {"VariableKeepsQuotes", "'a b'", "'a b'", 0},
    {"TrailingIgnored", "a b", "a", 0},
    {"DanglingAnd", "a and", "untouched", 2000},
    {"DanglingDeeperInChain", "x or y and", "untouched", 2000},
    {"PartialVariadicArgument", "IsOs(a and)", "untouched", 2000},
    {"DanglingInsideGroupIsNoTree", "(a or) == b", "untouched", 0},
    {"BlanksOnly", "  ", "untouched", 0},
    {"UnclosedGroup", "(a", "untouched", 2030},
    {"VariadicBelowLeast", "IsOs()", "untouched", 2003},
    {"FunctionGetsBothTexts", "IsOs('windows', 'linux')", "false", 0},
};

INSTANTIATE_TEST_SUITE_P(Evaluation, EvaluationTable, testing::ValuesIn(kEvalCases),
                         [](const testing::TestParamInfo<EvalCase>& row) { return row.param.name; });

// A provider whose answers each case sets.
class FakeProvider : public intr::IFunctionsProvider {
 public:
  bool known = true;
  int overloads = 1;
  intr::FunctionInfo info;
  intr::IFunction* implementation = nullptr;

  bool hasFunction(const QString&) override { return known; }
  int overloadCount(const QString&) override { return overloads; }
  bool functionInfo(const QString&, int, intr::FunctionInfo* out) override {
    *out = info;
    return true;
  }
  intr::IFunction* function(const QString&) override { return implementation; }
};

// Records what it was given and joins its arguments with "|".
class EchoFunction : public intr::IFunction {
 public:
  std::vector<QString> seen;
  QString name() const override { return QStringLiteral("Echo"); }
  int argCount() const override { return 0; }
  bool isVariadic() const override { return false; }
  int execute(const std::vector<QString>& args, QString* result) override {
    seen = args;
    QStringList parts(args.begin(), args.end());
    *result = parts.join(QLatin1Char('|'));
    return 0;
  }
};

std::unique_ptr<intr::TaskFunction> callWith(FakeProvider* provider, std::initializer_list<const char*> args) {
  auto node = std::make_unique<intr::TaskFunction>(1, QStringLiteral("Echo"));
  node->setFunctionsProvider(provider);
  for (const char* a : args) node->addChild(new intr::TaskVariable(2, QLatin1String(a)));
  return node;
}

TEST(TaskFunction, ProviderFailuresHaveTheirOwnCodes) {
  EchoFunction echo;
  struct Case {
    const char* name;
    bool provider;
    bool known;
    int overloads;
    unsigned count;
    bool variadic;
    bool implementation;
    int code;
  };
  const Case cases[] = {
      {"NoProvider", false, true, 1, 1, false, true, 2001},
      {"NotRegistered", true, false, 1, 1, false, true, 2002},
      {"NoOverloads", true, true, 0, 1, false, true, 2003},
      {"FixedCountDiffers", true, true, 1, 2, false, true, 2003},
      {"VariadicBelowLeast", true, true, 1, 2, true, true, 2003},
      {"NoImplementation", true, true, 1, 1, false, false, 2004},
      {"Fixed", true, true, 1, 1, false, true, 0},
      {"VariadicAtLeast", true, true, 1, 0, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProvider provider;
    provider.known = c.known;
    provider.overloads = c.overloads;
    provider.info.setArgCount(c.count);
    provider.info.setVariadic(c.variadic);
    provider.implementation = c.implementation ? &echo : nullptr;
    auto node = callWith(c.provider ? &provider : nullptr, {"'a'"});
    QString result = QStringLiteral("untouched");
    EXPECT_EQ(node->execute(&result), c.code);
    EXPECT_EQ(result, c.code ? QStringLiteral("untouched") : QStringLiteral("'a'"));
  }
}

TEST(TaskFunction, PassesEveryVariadicArgumentUnquoted) {
  EchoFunction echo;
  FakeProvider provider;
  provider.info.setArgCount(1);
  provider.info.setVariadic(true);
  provider.implementation = &echo;
  auto node = callWith(&provider, {"'a'", "\"b\"", "c"});
  QString result;
  ASSERT_EQ(node->execute(&result), 0);
  EXPECT_EQ(result, QStringLiteral("'a'|\"b\"|c"));
  // The tree is not changed by evaluation.
  ASSERT_EQ(node->execute(&result), 0);
  EXPECT_EQ(result, QStringLiteral("'a'|\"b\"|c"));
}

TEST(TaskCommon, ChildrenAreOwnedOnceAndIndexed) {
  intr::TaskBinOperation node(1, intr::OpAnd);
  auto* left = new intr::TaskVariable(2, QStringLiteral("a"));
  node.addChild(left);
  node.addChild(left);
  node.addChild(nullptr);
  node.addChild(&node);
  EXPECT_EQ(node.childCount(), 1);
  intr::ITask* out = nullptr;
  EXPECT_EQ(node.child(0, &out), 0);
  EXPECT_EQ(out, left);
  EXPECT_EQ(node.child(1, &out), 909090);
  EXPECT_EQ(node.child(-1, &out), 909090);
  EXPECT_EQ(node.parent(), nullptr);
}

TEST(Nodes, DescribeTexts) {
  EXPECT_EQ(intr::TaskVariable(7, QStringLiteral("'a b'")).describe(), QStringLiteral("Variable ''a b'' (ID:7)"));
  EXPECT_EQ(intr::TaskFunction(8, QStringLiteral("isOs")).describe(), QStringLiteral("Function 'isOs' (ID:8)"));
  EXPECT_EQ(intr::TaskBinOperation(9, intr::OpEqualOrGreat).describe(),
            QStringLiteral("Binary operation 'EqualOrGreat' (ID:9)"));
  EXPECT_EQ(intr::TaskBinOperation(10, 0).describe(), QStringLiteral("Binary operation 'unknown' (ID:10)"));
  EXPECT_EQ(intr::TaskBinOperation(11, 9).describe(), QStringLiteral("Binary operation 'unknown' (ID:11)"));
  EXPECT_EQ(intr::TaskUnOperation(12, intr::OpNot).describe(), QStringLiteral("Unary left operation 'Not' (ID:12)"));
  EXPECT_EQ(intr::TaskUnOperation(13, 2).describe(), QStringLiteral("Unary left operation 'unknown' (ID:13)"));
}

}  // namespace
