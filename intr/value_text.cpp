#include "intr/value_text.h"

namespace intr {

void stripQuotes(QString& text, bool trim) {
  for (;;) {
    const bool doubleRemoved = unquoteDoubleQuotes(text, trim);
    const bool singleRemoved = unquoteSingleQuotes(text, trim);
    if (!doubleRemoved && !singleRemoved) return;
  }
}

}  // namespace intr
