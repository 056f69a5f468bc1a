#include "tasks/task_setvar.h"

#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "core/variables_expander.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_texts.h"

TaskSetvar::TaskSetvar(std::uint64_t id, ITask* parent) : TaskCommon(id, task_texts::kSetVar, parent) {}

TaskSetvar::~TaskSetvar() { markInterrupted(); }

int TaskSetvar::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                      IConditionHandler* handler, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(setValue(expander, setter, handler), setter, resultVar, failOnError);
}

int TaskSetvar::setValue(IVariablesExpander* expander, IVariablesSetter* setter, IConditionHandler* handler) {
  const QString name = expandedTrimmed(expander, propertyText(task_texts::kVarName));
  QString value = propertyText(task_texts::kVarValue);
  if (expandVariablesChecked(expander, value) != 0) {
    VLOG_ERROR(getName()) << "Failed to update variable: its value is too long. Name: '" << name
                          << "'. Task ID: " << getId();
    return core_codes::kTextTooLong;
  }
  const bool asExpression = isTrue(expandedTrimmed(expander, propertyText(task_texts::kAsExpression)));
  if (!setter) return 0;

  if (asExpression && handler) {
    QString result;
    const int code = handler->calculate(value, result);
    if (code != 0) {
      VLOG_ERROR(getName()) << "Failed to calculate expression. Expression: '" << value << "'. Error: " << code
                            << ". Task ID: " << getId();
      return code;
    }
    value = result;
  }
  VLOG_INFO(getName()) << "Try to update variable. Name: '" << name << "'. Value: '" << value
                       << "'. Task ID: " << getId();
  const int code = setter->set(name, value);
  if (code != 0)
    VLOG_ERROR(getName()) << "Failed to update variable. Error: " << code << ". Task ID: " << getId();
  return code;
}
