#pragma once

#include "core/variables.h"
#include "core/variables_expander.h"

#include <QString>

// One scope of macro parameters (@{name}) or loop items (#{name}) over the expander of
// the code around it. Scopes nested in each other are looked up together, innermost
// first, and the expander under the outermost scope runs once per round: a text costs
// the same however deeply macro calls and loops are nested.
class ScopedVariablesExpander : public IVariablesExpander {
 public:
  // kind is VariablesExpanderHelper::KindAt or KindHash. Nothing is owned; an outer
  // ScopedVariablesExpander must outlive this one.
  ScopedVariablesExpander(int kind, IVariablesGetter* names, IVariablesExpander* outer);
  ScopedVariablesExpander(const ScopedVariablesExpander&) = delete;
  ScopedVariablesExpander& operator=(const ScopedVariablesExpander&) = delete;

  bool expand(QString& text) override;

 private:
  // One pass for one lead over every scope of that kind.
  class Pass : public IVariablesExpander {
   public:
    Pass(const ScopedVariablesExpander& scope, QChar lead) : scope_(scope), lead_(lead) {}
    bool expand(QString& text) override;

   private:
    const ScopedVariablesExpander& scope_;
    QChar lead_;
  };

  bool lookup(QChar lead, const QString& name, QString& value) const;
  bool hasScopeOf(QChar lead) const;

  QChar lead_;
  IVariablesGetter* names_;
  const ScopedVariablesExpander* enclosing_ = nullptr;
  IVariablesExpander* base_ = nullptr;
  Pass ownPass_;
  Pass otherPass_;
  bool otherKindNested_ = false;
};
