#pragma once

#include "core/variables.h"
#include "core/variables_expander.h"

#include <QString>

// One pass over the text for ${name}, @{name} or #{name}: each reference whose name
// the getter knows is replaced; an inserted value is not scanned again in the pass.
// A null getter gives the text back unchanged.
QString expandDollarVariables(IVariablesGetter* getter, const QString& text);
QString expandAtVariables(IVariablesGetter* getter, const QString& text);
QString expandHashVariables(IVariablesGetter* getter, const QString& text);

// Expands one kind of reference against one getter (non-owning, may be null).
class VariablesExpanderHelper : public IVariablesExpander {
 public:
  enum Kind : int { KindDollar = 1, KindAt = 2, KindHash = 3 };

  VariablesExpanderHelper(int kind, IVariablesGetter* getter) : kind_(kind), getter_(getter) {}

  // A result that differs from the text only in letter case is dropped.
  bool expand(QString& text) override;

 private:
  int kind_;
  IVariablesGetter* getter_;
};
