#include "intr/lexer.h"

#include "intr/result_codes.h"

namespace intr {
namespace {

bool isSeparator(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
         c == QLatin1Char('\t');
}

bool isBracketOrComma(QChar c) {
  return c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(',');
}

bool isBracketOrComma(const QString& s) { return s.size() == 1 && isBracketOrComma(s.at(0)); }

// Copies out and keeps from's buffer: the next token is built without reallocating.
void moveInto(QString& from, QString& to) {
  to = QString(from.constData(), from.size());
  from.truncate(0);
}

}  // namespace

int Lexer::setText(const QString& text) {
  pending_.clear();
  position_ = -1;
  inQuote_ = false;
  text_ = text;
  return kOk;
}

int Lexer::nextToken(QString& token) {
  token.clear();
  if (text_.isEmpty()) return kEmptyText;
  if (position_ >= text_.size()) {
    if (pending_.isEmpty()) return kEndOfText;
    moveInto(pending_, token);
    return kOk;
  }
  if (position_ < 0) position_ = 0;

  const QChar apostrophe = QLatin1Char('\'');
  while (position_ < text_.size()) {
    const QChar c = text_.at(position_++);
    if (inQuote_) {
      pending_ += c;
      if (c == apostrophe) {
        moveInto(pending_, token);
        inQuote_ = false;
        return kOk;
      }
      continue;
    }
    if (isBracketOrComma(c)) {
      if (pending_.isEmpty()) {
        token = c;
      } else {
        moveInto(pending_, token);
        pending_ = c;
      }
      return kOk;
    }
    if (isSeparator(c)) {
      if (pending_.isEmpty()) continue;
      moveInto(pending_, token);
      return kOk;
    }
    if (c == apostrophe) {
      inQuote_ = true;
      if (pending_.isEmpty()) {
        pending_ += c;
        continue;
      }
      moveInto(pending_, token);
      pending_ = c;
      return kOk;
    }
    if (isBracketOrComma(pending_)) {
      moveInto(pending_, token);
      pending_ = c;
      return kOk;
    }
    pending_ += c;
    if (pending_.size() != 2) continue;
    if (pending_ == QLatin1String("==") || pending_ == QLatin1String("!=")) {
      moveInto(pending_, token);
      return kOk;
    }
    if (pending_.at(0) == QLatin1Char('!') && pending_.at(1) != QLatin1Char('=')) {
      token = QStringLiteral("!");
      pending_.remove(0, 1);
      return kOk;
    }
  }
  if (!pending_.isEmpty()) moveInto(pending_, token);
  return kOk;
}

}  // namespace intr
