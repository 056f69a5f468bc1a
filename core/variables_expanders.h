#pragma once

#include "core/variables_expander.h"

#include <QString>

// Chains two expanders (non-owning, either may be null) and repeats them until a round
// changes nothing. A text that keeps changing, such as a value that refers to itself
// with text around it, is stopped after kMaxRounds rounds or once it outgrows
// kMaxLength characters; the text of the last round is kept and a warning is logged.
class VariablesExpanders : public IVariablesExpander {
 public:
  static constexpr int kMaxRounds = 100;
  static constexpr int kMaxLength = 1024 * 1024;

  VariablesExpanders(IVariablesExpander* first, IVariablesExpander* second)
      : first_(first), second_(second) {}

  bool expand(QString& text) override;

 private:
  IVariablesExpander* first_;
  IVariablesExpander* second_;
};
