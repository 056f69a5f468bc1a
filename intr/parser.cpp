#include "intr/parser.h"

#include "core/logger.h"
#include "intr/expression_nodes.h"
#include "intr/function.h"
#include "intr/item_id_provider.h"
#include "intr/lexer.h"
#include "intr/result_codes.h"

#include <memory>

namespace intr {
namespace {

// Case folding keeps the length, so most tokens are refused without a compare.
bool isWord(const QString& token, QLatin1String word) {
  return token.size() == word.size() && token.compare(word, Qt::CaseInsensitive) == 0;
}

// The node joins the holder's tree: as its child, or as the tree itself.
void attach(ITask** holder, std::unique_ptr<ITask> node) {
  if (*holder)
    (*holder)->addChild(node.release());
  else
    *holder = node.release();
}

// A binary node over left, attached to the holder; the plain pointer holds its right side.
ITask* attachBinary(ITask** holder, std::unique_ptr<ITask> left, std::int64_t id, std::uint32_t op) {
  auto node = std::make_unique<TaskBinOperation>(id, op);
  ITask* plain = node.get();
  plain->addChild(left.release());
  attach(holder, std::move(node));
  return plain;
}

}  // namespace

bool compareOperatorCode(const QString& token, std::uint32_t* op) {
  struct Word {
    const char* text;
    std::uint32_t code;
  };
  static const Word kWords[] = {{"==", OpEqual},     {"eq", OpEqual},         {"!=", OpNotEqual},
                                {"noteq", OpNotEqual}, {"less", OpLess},      {"eless", OpEqualOrLess},
                                {"great", OpGreat},  {"egreat", OpEqualOrGreat}};
  if (token.isEmpty()) return false;
  for (const Word& w : kWords)
    if (isWord(token, QLatin1String(w.text))) {
      if (op) *op = w.code;
      return true;
    }
  return false;
}

bool isOperandToken(const QString& token) {
  if (token.isEmpty()) return false;
  const QChar first = token.at(0);
  return first != QLatin1Char('!') && first != QLatin1Char('(') && first != QLatin1Char(')') &&
         first != QLatin1Char(',');
}

int Parser::parse(const QString& text, ITask** root) {
  if (!lexer_) return kNoLexer;
  if (!root) return kNullArgument;
  hasLookAhead_ = false;
  lookAhead_.clear();
  nesting_ = 0;
  tooDeep_ = false;
  const int lexerCode = lexer_->setText(text);
  if (lexerCode != kOk) return lexerCode;
  int code = kOk;
  parseExpression(root, code);
  return tooDeep_ ? kNestedTooDeeply : code;
}

bool Parser::peek(QString& token, int& code) {
  if (!hasLookAhead_) {
    const int lexerCode = lexer_->nextToken(lookAhead_);
    if (lexerCode != kOk) {
      code = lexerCode == kEndOfText ? kOk : lexerCode;
      return false;
    }
    hasLookAhead_ = true;
  }
  token = lookAhead_;
  return true;
}

std::int64_t Parser::nextId() { return ids_ ? ids_->nextId() : 0; }

bool Parser::enterNested(int& code) {
  if (tooDeep_ || nesting_ >= kMaxNesting) {
    if (!tooDeep_) {
      tooDeep_ = true;
      VLOG_ERROR("Interpreter") << "Expression is nested too deeply (limit " << kMaxNesting << ")";
    }
    code = kNestedTooDeeply;
    return false;
  }
  ++nesting_;
  return true;
}

bool Parser::nestedExpression(ITask** holder, int& code) {
  if (!enterNested(code)) return false;
  const bool ok = parseExpression(holder, code);
  leaveNested();
  return ok;
}

bool Parser::parseExpression(ITask** holder, int& code) {
  code = kOk;
  if (tooDeep_) return false;
  ITask* term = nullptr;
  const bool ok = parseTerm(&term, code);
  std::unique_ptr<ITask> left(term);
  if (!ok) return false;
  std::uint32_t op = 0;
  if (!parseLogicalOperator(op, code)) {
    attach(holder, std::move(left));
    return true;
  }
  ITask* node = attachBinary(holder, std::move(left), nextId(), op);
  return nestedExpression(&node, code);
}

bool Parser::parseTerm(ITask** holder, int& code) {
  code = kOk;
  if (tooDeep_) return false;
  std::unique_ptr<ITask> unary;
  std::uint32_t op = 0;
  if (parseNot(op, code)) unary = std::make_unique<TaskUnOperation>(nextId(), op);

  ITask* operand = nullptr;
  const bool found =
      parseFunctionCall(&operand, code) || parseVariable(&operand, code) || parseGroup(&operand, code);
  std::unique_ptr<ITask> left(operand);
  if (!found) return false;
  if (unary) {
    unary->addChild(left.release());
    left = std::move(unary);
  }
  if (!parseCompareOperator(op, code)) {
    attach(holder, std::move(left));
    return true;
  }
  ITask* node = attachBinary(holder, std::move(left), nextId(), op);
  if (!enterNested(code)) return false;
  const bool ok = parseTerm(&node, code);
  leaveNested();
  return ok;
}

bool Parser::parseFunctionCall(ITask** holder, int& code) {
  code = kOk;
  if (!functions_ || tooDeep_) return false;
  QString name;
  if (!peek(name, code) || name.isEmpty() || !functions_->hasFunction(name)) return false;
  consume();
  if (!expectToken(QStringLiteral("("), code)) return false;

  auto function = std::make_unique<TaskFunction>(nextId(), name);
  function->setFunctionsProvider(functions_);
  if (!enterNested(code)) return false;
  ITask* node = function.get();
  const bool argsOk = parseArguments(&node, name, code);
  leaveNested();
  if (!argsOk) {
    if (code == kOk) code = kBadArguments;
    return false;
  }
  if (!expectToken(QStringLiteral(")"), code)) {
    code = kMissingCloseBracket;
    return false;
  }
  attach(holder, std::move(function));
  return true;
}

bool Parser::parseArguments(ITask** node, const QString& name, int& code) {
  code = kOk;
  if (name.isEmpty() || !functions_ || tooDeep_) return false;
  FunctionInfo info;
  functions_->functionInfo(name, 0, &info);
  const std::uint32_t count = info.argCount();
  if (count < 1) return true;

  if (!info.isVariadic()) {
    for (std::uint32_t i = 0; i < count; ++i) {
      if (!parseExpression(node, code)) {
        if (!tooDeep_) code = kBadArgument;
        return false;
      }
      if (i + 1 < count && !expectToken(QStringLiteral(","), code)) {
        if (!tooDeep_) code = kMissingComma;
        return false;
      }
    }
    return code == kOk;
  }

  if (!parseExpression(node, code)) return !tooDeep_;
  for (;;) {
    QString token;
    int peekCode = kOk;
    if (!peek(token, peekCode)) {
      code = kNoTokenInArguments;
      break;
    }
    if (token != QLatin1String(",")) break;
    expectToken(QStringLiteral(","), code);
    if (!parseExpression(node, code)) break;
  }
  return !tooDeep_;
}

bool Parser::parseVariable(ITask** holder, int& code) {
  code = kOk;
  QString token;
  if (tooDeep_ || !peek(token, code) || !isOperandToken(token)) return false;
  consume();
  attach(holder, std::make_unique<TaskVariable>(nextId(), token));
  return true;
}

bool Parser::parseGroup(ITask** holder, int& code) {
  code = kOk;
  QString token;
  if (tooDeep_ || !peek(token, code) || token != QLatin1String("(")) return false;
  consume();
  if (!nestedExpression(holder, code)) return false;
  if (!expectToken(QStringLiteral(")"), code)) {
    code = kMissingCloseBracket;
    return false;
  }
  return true;
}

bool Parser::parseNot(std::uint32_t& op, int& code) {
  code = kOk;
  QString token;
  if (!peek(token, code)) return false;
  if (token != QLatin1String("!") && !isWord(token, QLatin1String("not"))) return false;
  consume();
  op = OpNot;
  return true;
}

bool Parser::parseCompareOperator(std::uint32_t& op, int& code) {
  code = kOk;
  QString token;
  if (!peek(token, code) || !compareOperatorCode(token, &op)) return false;
  consume();
  return true;
}

bool Parser::parseLogicalOperator(std::uint32_t& op, int& code) {
  code = kOk;
  QString token;
  if (!peek(token, code)) return false;
  if (isWord(token, QLatin1String("or")))
    op = OpOr;
  else if (isWord(token, QLatin1String("and")))
    op = OpAnd;
  else
    return false;
  consume();
  return true;
}

bool Parser::expectToken(const QString& text, int& code) {
  code = kOk;
  QString token;
  if (text.isEmpty() || !peek(token, code) || token != text) return false;
  consume();
  return true;
}

}  // namespace intr
