#include "core/variables_expanders.h"

#include "core/logger.h"

bool VariablesExpanders::expand(QString& text) {
  if (!first_ && !second_) return false;
  bool any = false;
  for (int round = 1;; ++round) {
    bool changed = false;
    if (first_ && first_->expand(text)) changed = true;
    if (second_ && second_->expand(text)) changed = true;
    if (!changed) return any;
    any = true;
    if (round >= kMaxRounds || text.size() > kMaxLength) {
      VLOG_WARNING("VariablesExpanders")
          << "Expansion stopped after " << round
          << " rounds, the text still changes: '" << text.left(200) << "'";
      return true;
    }
  }
}
