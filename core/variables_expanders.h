#pragma once

#include "core/variables_expander.h"

#include <QString>

#include <initializer_list>

// Chains two expanders (non-owning, either may be null) and repeats them until a round
// changes nothing (see expandInRounds).
class VariablesExpanders : public IVariablesExpander {
 public:
  static constexpr int kMaxRounds = 100;

  VariablesExpanders(IVariablesExpander* first, IVariablesExpander* second)
      : first_(first), second_(second) {}

  bool expand(QString& text) override;

 private:
  IVariablesExpander* first_;
  IVariablesExpander* second_;
};

// Runs the expanders (null ones are skipped) in order, in rounds, until a round changes
// nothing; true when any round changed the text. A text that keeps changing without
// growing, such as two values that name each other, is stopped after
// VariablesExpanders::kMaxRounds rounds with a warning, keeping the text of the last
// round. A text refused for its length (textLimitHits) stops the rounds at once.
bool expandInRounds(QString& text, std::initializer_list<IVariablesExpander*> expanders);
