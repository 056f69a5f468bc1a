#pragma once

#include "core/text_helpers.h"

#include <QString>

namespace intr {

// Removes surrounding pairs of double quotes and apostrophes, in any nesting, until
// neither kind is left around the text; with trim, blanks go before each strip.
void stripQuotes(QString& text, bool trim);

inline QString boolText(bool value) { return value ? trueString() : falseString(); }

}  // namespace intr
