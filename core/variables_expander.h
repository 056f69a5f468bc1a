#pragma once

#include <QString>

// Expands references in a text; true when the text was changed.
class IVariablesExpander {
 public:
  virtual ~IVariablesExpander() = default;
  virtual bool expand(QString& text) = 0;
};
