#include "intr/parser.h"

#include "intr/expression_nodes.h"
#include "intr/interpreter.h"
#include "intr/item_id_provider.h"
#include "intr/lexer.h"
#include "intr_fakes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using intr_testing::shape;

struct ParseCase {
  const char* name;
  const char* text;
  const char* tree;  // "" for no tree
  int code;
};

class ParserTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParserTable, Tree) {
  const ParseCase& c = GetParam();
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  EXPECT_EQ(interpreter.compile(QString::fromUtf8(c.text)), c.code);
  EXPECT_EQ(shape(interpreter.tree()), c.tree);
}

const ParseCase kParseCases[] = {
    {"GluedEqualsIsOneWord", "a==b", "a==b", 0},
    {"EqualsAlone", "a == b", "Equal(a, b)", 0},
    {"EqualsStartsWord", "a ==b", "Equal(a, b)", 0},
    {"CompareWords", "a eq b noteq c != d less e eless f great g egreat h",
     "Equal(a, NotEqual(b, NotEqual(c, Less(d, EqualOrLess(e, Great(f, EqualOrGreat(g, h)))))))", 0},
    {"WordsIgnoreCase", "a EQ b Or NOT c", "Or(Equal(a, b), Not(c))", 0},
    {"LiteralIsOneOperand", "'a b, (c)' == x", "Equal('a b, (c)', x)", 0},
    {"DoubleQuotedTextSplits", "\"a b\"", "\"a", 0},
    {"BangNot", "!x", "Not(x)", 0},
    {"WordNot", "not x", "Not(x)", 0},
    {"NotEqualsFirstIsNoTerm", "!= x", "", 0},
    {"DoubleNotIsNoTerm", "!!x", "", 0},
    {"NotOfGroup", "!(!(x))", "Not(Not(x))", 0},
    {"AndOverOrGroupsRight", "a and b or c", "And(a, Or(b, c))", 0},
    {"BracketsGroupLeft", "(a and b) or c", "Or(And(a, b), c)", 0},
    {"ComparisonBindsTighter", "a == b and c", "And(Equal(a, b), c)", 0},
    {"NotBindsToOperand", "!a == b", "Equal(Not(a), b)", 0},
    {"LessChainsRight", "a less b less c", "Less(a, Less(b, c))", 0},
    {"EqualChainsRight", "x == y == z", "Equal(x, Equal(y, z))", 0},
    {"FunctionAnyCase", "isempty(x) or ISEMPTY(y)", "Or(isempty(x), ISEMPTY(y))", 0},
    {"UnknownCallIsVariable", "unknown(x) and y", "unknown", 0},
    {"FunctionNameWithoutBracketIsLost", "IsOsWindows == x", "==", 0},
    {"NoArgumentFunction", "GetBuildTarget()", "GetBuildTarget()", 0},
    {"VariadicWithoutArguments", "IsOs()", "IsOs()", 0},
    {"VariadicArguments", "IsOs('a', b == c, (d))", "IsOs('a', Equal(b, c), d)", 0},
    {"VariadicMissingCommaDropsCall", "IsOs('a' 'b')", "'b'", 0},
    {"FixedArguments", "ReplaceAll(a, b, c)", "ReplaceAll(a, b, c)", 0},
    {"FixedMissingArgument", "IsEmpty()", "", 0},
    {"FixedMissingComma", "ReplaceAll(a, b)", "", 0},
    {"FixedTooMany", "IsEmpty(a, b)", "", 0},
    {"FixedUnclosed", "IsEmpty(a", "", 0},
    {"NestedCalls", "IsTrue(IsEmpty(''))", "IsTrue(IsEmpty(''))", 0},
    {"UnclosedGroup", "(a == b", "", 2030},
    {"UnclosedGroupOnRight", "a or (b", "Or(a)", 2030},
    {"DanglingAnd", "a and", "And(a)", 0},
    {"DanglingComparisonIsNoTerm", "a ==", "", 0},
    {"LoneOpenBracket", "(", "", 0},
    {"LoneCloseBracket", ")", "", 0},
    {"LoneNot", "not", "", 0},
    {"TrailingTokensIgnored", "a b", "a", 0},
    {"TwoTrailingBlanks", "a  ", "a", 0},
    {"BlanksOnly", "   ", "", 0},
    {"Empty", "", "", 2008},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParserTable, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& row) { return row.param.name; });

TEST(Parser, RefusesMissingLexerOrRoot) {
  intr::Parser parser;
  intr::ITask* root = nullptr;
  EXPECT_EQ(parser.parse(QStringLiteral("a"), &root), 2009);
  intr::Lexer lexer;
  parser.setLexer(&lexer);
  EXPECT_EQ(parser.parse(QStringLiteral("a"), nullptr), 3);
}

TEST(Parser, WithoutProvidersFunctionNamesAreVariablesAndIdsAreZero) {
  intr::Lexer lexer;
  intr::Parser parser;
  parser.setLexer(&lexer);
  intr::ITask* root = nullptr;
  ASSERT_EQ(parser.parse(QStringLiteral("IsEmpty(x)"), &root), 0);
  EXPECT_EQ(root->describe(), QStringLiteral("Variable 'IsEmpty' (ID:0)"));
  delete root;
}

TEST(Parser, NodeIdsFollowCreationOrder) {
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  // Not before its operand, a function after "(", a binary node after its left side.
  ASSERT_EQ(interpreter.compile(QStringLiteral("!IsTrue(x) == y")), 0);
  intr::ITask* equal = interpreter.tree();
  intr::ITask* notNode = nullptr;
  intr::ITask* y = nullptr;
  ASSERT_EQ(equal->child(0, &notNode), 0);
  ASSERT_EQ(equal->child(1, &y), 0);
  intr::ITask* call = nullptr;
  ASSERT_EQ(notNode->child(0, &call), 0);
  intr::ITask* x = nullptr;
  ASSERT_EQ(call->child(0, &x), 0);
  EXPECT_EQ(notNode->describe(), QStringLiteral("Unary left operation 'Not' (ID:1)"));
  EXPECT_EQ(call->describe(), QStringLiteral("Function 'IsTrue' (ID:2)"));
  EXPECT_EQ(x->describe(), QStringLiteral("Variable 'x' (ID:3)"));
  EXPECT_EQ(equal->describe(), QStringLiteral("Binary operation 'Equal' (ID:4)"));
  EXPECT_EQ(y->describe(), QStringLiteral("Variable 'y' (ID:5)"));
}

QString repeated(const char* piece, int times, const char* tail = "") {
  QString text;
  for (int i = 0; i < times; ++i) text += QLatin1String(piece);
  return text + QLatin1String(tail);
}

struct DeepCase {
  const char* name;
  QString text;
};

TEST(ParserNesting, TooDeepTextsFailWithoutOverflow) {
  const DeepCase cases[] = {
      {"OpenBrackets", repeated("(", 10000)},
      {"BalancedBrackets", repeated("(", 10000, "x") + repeated(")", 10000)},
      {"AndChain", repeated("a and ", 9999, "a")},
      {"OrChain", repeated("1 or ", 9999, "1")},
      {"ComparisonChain", repeated("a == ", 9999, "a")},
      {"NestedCalls", repeated("IsTrue(", 10000)},
      {"NotGroups", repeated("!(", 10000)},
      {"VariadicCalls", repeated("IsOs(a, ", 10000)},
  };
  for (const DeepCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::ScopedLogCapture capture;
    intr::Interpreter interpreter;
    interpreter.init(nullptr, nullptr, nullptr);
    QString result = QStringLiteral("untouched");
    EXPECT_EQ(interpreter.evaluate(c.text, &result), 2035);
    EXPECT_EQ(result, QStringLiteral("untouched"));
    ASSERT_EQ(capture.log().entries.size(), 1u);
    EXPECT_EQ(capture.log().entries[0].level, logger::LogError);
    EXPECT_EQ(capture.log().entries[0].tag, QStringLiteral("Interpreter"));
    EXPECT_EQ(capture.log().entries[0].text, QStringLiteral("Expression is nested too deeply (limit 500)"));
    // The interpreter stays usable.
    EXPECT_EQ(interpreter.evaluate(QStringLiteral("a == A"), &result), 0);
    EXPECT_EQ(result, QStringLiteral("true"));
  }
}

TEST(ParserNesting, TextsAtTheLimitEvaluate) {
  struct Case {
    const char* name;
    QString text;
    const char* result;
  };
  const Case cases[] = {
      {"Brackets", repeated("(", 500, "x") + repeated(")", 500), "x"},
      {"AndChain", repeated("yes and ", 500, "1"), "true"},
      {"OrChainLastTrue", repeated("no or ", 500, "ok"), "true"},
      {"NotGroups", repeated("!(", 500, "x") + repeated(")", 500), "false"},
      {"NestedCalls", repeated("IsTrue(", 500, "1") + repeated(")", 500), "true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    intr::Interpreter interpreter;
    interpreter.init(nullptr, nullptr, nullptr);
    QString result;
    EXPECT_EQ(interpreter.evaluate(c.text, &result), 0);
    EXPECT_EQ(result, QLatin1String(c.result));
  }
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  QString result;
  EXPECT_EQ(interpreter.evaluate(repeated("(", 501, "x") + repeated(")", 501), &result), 2035);
  EXPECT_EQ(interpreter.evaluate(repeated("yes and ", 501, "1"), &result), 2035);
}

// Malformed input of every kind ends in a known code, never a crash (the sanitizer
// build runs this too).
TEST(ParserRobustness, RandomTextsEndInACode) {
  const char* const pieces[] = {"(", ")", ",", "'", "\"", "!", "not", "and", "or", "==", "!=", "eq",
                                "less", "egreat", "IsOs", "IsEmpty", "ReplaceAll", "IsOsLinux",
                                "AddToListUnique", "a", "1", "-2.5", "nan", " ", "  ", "\t", "x,y"};
  const int knownCodes[] = {0, 2000, 2003, 2005, 2008, 2030, 2035};
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pick(0, int(std::size(pieces)) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  intr::Interpreter interpreter;
  interpreter.init(nullptr, nullptr, nullptr);
  for (int i = 0; i < 5000; ++i) {
    QString text;
    const int n = length(random);
    for (int k = 0; k < n; ++k) text += QLatin1String(pieces[pick(random)]);
    QString result;
    const int code = interpreter.evaluate(text, &result);
    EXPECT_NE(std::find(std::begin(knownCodes), std::end(knownCodes), code), std::end(knownCodes))
        << code << " for " << text.toStdString();
  }
}

}  // namespace
