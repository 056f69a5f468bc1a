#pragma once

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
