#pragma once

#include "core/variables.h"
#include "core/variables_expander.h"

#include <QString>

#include <functional>

// One pass over the text for ${name}, @{name} or #{name}: each reference whose name
// the getter knows is replaced; an inserted value is not scanned again in the pass.
// A null getter gives the text back unchanged. A result that would outgrow
// kMaxTextLength is not made: the text comes back unchanged, and the reference is
// logged and counted (textLimitHits).
QString expandDollarVariables(IVariablesGetter* getter, const QString& text);
QString expandAtVariables(IVariablesGetter* getter, const QString& text);
QString expandHashVariables(IVariablesGetter* getter, const QString& text);

// True with the value when the name is known.
using ReferenceLookup = std::function<bool(const QString& name, QString& value)>;

// The same pass in place, for the reference lead ('$', '@' or '#') over any source of
// names: 0, or core_codes::kTextTooLong with the text left as it was.
[[nodiscard]] int expandReferences(QChar lead, const ReferenceLookup& lookup, QString& text);
[[nodiscard]] int expandDollarVariablesInPlace(IVariablesGetter* getter, QString& text);

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

// The lead character of a kind, or a null character for any other number.
QChar referenceLead(int kind);

// Whether result differs from text in more than letter case.
bool differsBeyondCase(const QString& result, const QString& text);
