#pragma once

#include <QString>

#include <cstdint>

class IItemIdProvider;

namespace intr {

class IFunctionsProvider;
class ITask;
class Lexer;

// Recursive descent with one token of look-ahead and no backtracking:
//   expression := term [ ("or" | "and") expression ]
//   term       := [ "!" | "not" ] operand [ comparison-word term ]
//   operand    := function-call | variable | "(" expression ")"
// Nesting (brackets, function calls, chained operators) is bounded, so no text can
// exhaust the stack.
class Parser {
 public:
  static constexpr int kMaxNesting = 500;

  void setLexer(Lexer* lexer) { lexer_ = lexer; }
  void setFunctionsProvider(IFunctionsProvider* provider) { functions_ = provider; }
  void setItemIdProvider(IItemIdProvider* provider) { ids_ = provider; }

  // Whatever tree was built, whole or partial, is left in *root.
  [[nodiscard]] int parse(const QString& text, ITask** root);

 private:
  bool parseExpression(ITask** holder, int& code);
  bool parseTerm(ITask** holder, int& code);
  bool parseFunctionCall(ITask** holder, int& code);
  bool parseVariable(ITask** holder, int& code);
  bool parseGroup(ITask** holder, int& code);
  bool parseArguments(ITask** node, const QString& name, int& code);
  bool parseNot(std::uint32_t& op, int& code);
  bool parseCompareOperator(std::uint32_t& op, int& code);
  bool parseLogicalOperator(std::uint32_t& op, int& code);
  bool expectToken(const QString& text, int& code);

  // A rule one level deeper: false (and the parse fails with 2035) past the limit.
  bool enterNested(int& code);
  void leaveNested() { --nesting_; }
  bool nestedExpression(ITask** holder, int& code);

  bool peek(QString& token, int& code);
  void consume() { hasLookAhead_ = false; }
  std::int64_t nextId();

  Lexer* lexer_ = nullptr;
  IFunctionsProvider* functions_ = nullptr;
  IItemIdProvider* ids_ = nullptr;
  QString lookAhead_;
  bool hasLookAhead_ = false;
  int nesting_ = 0;
  bool tooDeep_ = false;
};

bool compareOperatorCode(const QString& token, std::uint32_t* op);
bool isOperandToken(const QString& token);

}  // namespace intr
