#pragma once

#include <QString>

namespace intr {

// Removes surrounding pairs of double quotes and apostrophes, in any nesting, until
// neither kind is left around the text; with trim, blanks go before each strip.
void stripQuotes(QString& text, bool trim);

bool isTrueText(const QString& text);
bool isFalseText(const QString& text);
QString trueText();
QString falseText();
inline QString boolText(bool value) { return value ? trueText() : falseText(); }

}  // namespace intr
