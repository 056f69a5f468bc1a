#include "core/variables_expanders.h"

#include "core/logger.h"
#include "core/text_limit.h"

bool expandInRounds(QString& text, std::initializer_list<IVariablesExpander*> expanders) {
  const TextLimitWatch watch;
  bool any = false;
  for (int round = 1;; ++round) {
    bool changed = false;
    for (IVariablesExpander* expander : expanders) {
      if (!expander) continue;
      if (expander->expand(text)) changed = true;
      if (watch.hit()) return any || changed;
    }
    if (!changed) return any;
    any = true;
    if (round >= VariablesExpanders::kMaxRounds) {
      VLOG_WARNING("VariablesExpanders")
          << "Expansion stopped after " << round << " rounds, the text still changes: '" << text.left(200) << "'";
      return true;
    }
  }
}

bool VariablesExpanders::expand(QString& text) {
  if (!first_ && !second_) return false;
  return expandInRounds(text, {first_, second_});
}
