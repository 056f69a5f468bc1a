#include "intr/value_text.h"

namespace intr {

void stripQuotes(QString& text, bool trim) { unquoteAll(text, trim); }

}  // namespace intr
