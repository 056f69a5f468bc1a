#pragma once

#include "core/result_codes.h"
#include "core/text_limit.h"

#include <QString>

// Expands references in a text; true when the text was changed.
class IVariablesExpander {
 public:
  virtual ~IVariablesExpander() = default;
  virtual bool expand(QString& text) = 0;
};

// The entry every caller uses; a null expander leaves the text alone.
inline bool expandVariables(IVariablesExpander* expander, QString& text) {
  return expander ? expander->expand(text) : false;
}

// For code that must not act on a text whose expansion was refused for its length:
// 0, or core_codes::kTextTooLong (already logged where the text grew too long).
[[nodiscard]] inline int expandVariablesChecked(IVariablesExpander* expander, QString& text) {
  const TextLimitWatch watch;
  expandVariables(expander, text);
  return watch.hit() ? core_codes::kTextTooLong : core_codes::kOk;
}
