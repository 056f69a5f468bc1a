#include "core/scoped_variables_expander.h"

#include "core/variables_expander_helper.h"
#include "core/variables_expanders.h"

namespace {

QChar otherLead(QChar lead) { return lead == QLatin1Char('@') ? QLatin1Char('#') : QLatin1Char('@'); }

}  // namespace

ScopedVariablesExpander::ScopedVariablesExpander(int kind, IVariablesGetter* names, IVariablesExpander* outer)
    : lead_(referenceLead(kind)),
      names_(names),
      enclosing_(dynamic_cast<const ScopedVariablesExpander*>(outer)),
      base_(enclosing_ ? enclosing_->base_ : outer),
      ownPass_(*this, lead_),
      otherPass_(*this, otherLead(lead_)) {
  otherKindNested_ = enclosing_ && enclosing_->hasScopeOf(otherLead(lead_));
}

bool ScopedVariablesExpander::hasScopeOf(QChar lead) const {
  for (const ScopedVariablesExpander* s = this; s; s = s->enclosing_)
    if (s->lead_ == lead) return true;
  return false;
}

bool ScopedVariablesExpander::lookup(QChar lead, const QString& name, QString& value) const {
  for (const ScopedVariablesExpander* s = this; s; s = s->enclosing_) {
    if (s->lead_ == lead && s->names_ && s->names_->get(name, value) == 0) return true;
  }
  return false;
}

bool ScopedVariablesExpander::Pass::expand(QString& text) {
  QString result = text;
  const int code = expandReferences(
      lead_, [this](const QString& name, QString& value) { return scope_.lookup(lead_, name, value); }, result);
  if (code != 0 || !differsBeyondCase(result, text)) return false;  // a refusal is logged and counted
  text = result;
  return true;
}

bool ScopedVariablesExpander::expand(QString& text) {
  if (lead_ != QLatin1Char('@') && lead_ != QLatin1Char('#')) return expandVariables(base_, text);
  return expandInRounds(text, {&ownPass_, otherKindNested_ ? &otherPass_ : nullptr, base_});
}
