#pragma once

#include <QString>

namespace intr {

// Cuts a condition into tokens: words, 'literals' with their apostrophes, "(", ")"
// and ",". Blanks, tabs and line ends separate words; "==" and "!=" stand alone only
// at the start of a word, and "!" splits off the front of a word.
class Lexer {
 public:
  [[nodiscard]] int setText(const QString& text);
  // 0 with the next token (possibly empty), 2007 at the end, 2008 for an empty text.
  [[nodiscard]] int nextToken(QString& token);

 private:
  QString text_;
  QString pending_;
  bool inQuote_ = false;
  int position_ = -1;
};

}  // namespace intr
