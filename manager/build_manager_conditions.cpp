#include "manager/build_manager.h"

#include "core/text_helpers.h"
#include "manager/result_codes.h"

using namespace manager_codes;

int BuildManager::evaluateCondition(const QString& text, bool& result) {
  if (text.isEmpty()) {
    result = true;
    return kOk;
  }
  QString value;
  const int code = interpreter_.evaluate(text, &value);
  if (code == kOk) result = isTrue(value);
  return code;
}

int BuildManager::calculate(const QString& text, QString& result) {
  if (text.isEmpty()) {
    result.clear();
    return kOk;
  }
  return interpreter_.evaluate(text, &result);
}
