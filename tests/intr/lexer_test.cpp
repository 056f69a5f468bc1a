#include "intr/lexer.h"

#include <gtest/gtest.h>

namespace {

struct LexCase {
  const char* name;
  const char* text;
  const char* tokens;  // every token before the final code, each in [brackets]
  int finalCode;
};

// Reads to the end; a bound guards against a lexer that never finishes.
std::string lexAll(const QString& text, int* finalCode) {
  intr::Lexer lexer;
  EXPECT_EQ(0, lexer.setText(text));
  std::string out;
  for (int i = 0; i < 1000; ++i) {
    QString token;
    const int code = lexer.nextToken(token);
    if (code != 0) {
      *finalCode = code;
      return out;
    }
    out += "[" + token.toStdString() + "]";
  }
  *finalCode = -1;
  return out;
}

class LexerTable : public testing::TestWithParam<LexCase> {};

TEST_P(LexerTable, Tokens) {
  const LexCase& c = GetParam();
  int code = 0;
  EXPECT_EQ(lexAll(QString::fromUtf8(c.text), &code), c.tokens);
  EXPECT_EQ(code, c.finalCode);
}

const LexCase kLexCases[] = {
    {"Empty", "", "", 2008},
    {"Words", "a  b\tc\r\nd", "[a][b][c][d]", 2007},
    {"ShortWordsAfterLong", "abcdef x ab (", "[abcdef][x][ab][(]", 2007},
    {"EqualsGlued", "a==b", "[a==b]", 2007},
    {"EqualsAlone", "a == b", "[a][==][b]", 2007},
    {"EqualsStartsWord", "a ==b", "[a][==][b]", 2007},
    {"NotEqualsStartsWord", "a !=b", "[a][!=][b]", 2007},
    {"BangSplitsOff", "!x", "[!][x]", 2007},
    {"BangBeforeBracket", "!(x)", "[!][(][x][)]", 2007},
    {"BangBeforeLiteral", "!'x'", "[!]['x']", 2007},
    {"BangInsideWord", "a!b", "[a!b]", 2007},
    {"DoubleBang", "!!x", "[!][!][x]", 2007},
    {"Brackets", "f(a,b)", "[f][(][a][,][b][)]", 2007},
    {"BracketRun", "((a))", "[(][(][a][)][)]", 2007},
    {"HeldBracketThenWord", "),x", "[)][,][x]", 2007},
    {"Literal", "'a b, (c)'", "['a b, (c)']", 2007},
    {"DoubleQuotesAreText", "\"a b, (c)\"", "[\"a][b][,][(][c][)][\"]", 2007},
    {"LiteralAfterWord", "x'y z'", "[x]['y z']", 2007},
    {"WordAfterLiteral", "'y'z", "['y'][z]", 2007},
    {"UnterminatedLiteral", "a 'b c", "[a]['b c]", 2007},
    {"EmptyLiteral", "''", "['']", 2007},
    {"OneTrailingBlank", "a ", "[a]", 2007},
    {"TwoTrailingBlanks", "a  ", "[a][]", 2007},
    {"BlanksOnly", "   ", "[]", 2007},
};

INSTANTIATE_TEST_SUITE_P(Lexer, LexerTable, testing::ValuesIn(kLexCases),
                         [](const testing::TestParamInfo<LexCase>& row) { return row.param.name; });

TEST(Lexer, SetTextRestarts) {
  intr::Lexer lexer;
  EXPECT_EQ(0, lexer.setText(QStringLiteral("'open")));
  QString token;
  ASSERT_EQ(lexer.nextToken(token), 0);
  EXPECT_EQ(0, lexer.setText(QStringLiteral("a b")));
  ASSERT_EQ(lexer.nextToken(token), 0);
  EXPECT_EQ(token, QStringLiteral("a"));  // no quote state carried over
}

}  // namespace
