#pragma once

#include <QString>

// Computes texts of the condition language; the driver implements it. Declared here,
// below every user, because file-set copying asks it about each set's condition.
class IConditionHandler {
 public:
  virtual ~IConditionHandler() = default;
  // An empty condition is true; on failure the result is left as it was.
  [[nodiscard]] virtual int evaluateCondition(const QString& text, bool& result) = 0;
  [[nodiscard]] virtual int calculate(const QString& text, QString& result) = 0;
};
