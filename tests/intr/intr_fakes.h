#pragma once

#include "core/variables.h"
#include "core/variables_expander.h"
#include "intr/expression_nodes.h"

#include <QString>

namespace intr_testing {

// Replaces ${name} by the value of name.
class FakeExpander : public IVariablesExpander {
 public:
  explicit FakeExpander(IVariablesGetter* vars) : vars_(vars) {}
  bool expand(QString& text) override {
    bool changed = false;
    int start = 0;
    while ((start = text.indexOf(QLatin1String("${"), start)) >= 0) {
      const int end = text.indexOf(QLatin1Char('}'), start);
      if (end < 0) break;
      QString value;
      if (vars_->get(text.mid(start + 2, end - start - 2), value) != 0) {
        start = end;
        continue;
      }
      text.replace(start, end - start + 1, value);
      start += value.size();
      changed = true;
    }
    return changed;
  }

 private:
  IVariablesGetter* vars_;
};

// The tree in a compact form, e.g. And(a, Or(b, c)); function calls keep their
// brackets. The names come from describe().
inline std::string shape(intr::ITask* node) {
  if (!node) return "";
  const QString text = node->describe();
  const int start = text.indexOf(QLatin1Char('\'')) + 1;
  const QString name = text.mid(start, text.lastIndexOf(QLatin1String("' (ID:")) - start);
  std::string out = name.toStdString();
  if (node->kind() == intr::ITask::KindVariable) return out;
  out += "(";
  for (int i = 0; i < node->childCount(); ++i) {
    intr::ITask* child = nullptr;
    (void)node->child(i, &child);  // in-range
    if (i) out += ", ";
    out += shape(child);
  }
  return out + ")";
}

}  // namespace intr_testing
