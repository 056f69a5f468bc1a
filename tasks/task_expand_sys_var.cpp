#include "tasks/task_expand_sys_var.h"

#include "core/environment_access.h"
#include "core/logger.h"
#include "core/variables_expander.h"
#include "tasks/sys_var_report.h"

namespace {

const QLatin1String kName("ExpandSysVar");
const QLatin1String kText("text");
const QLatin1String kValueVar("valuevar");

}  // namespace

TaskExpandSysVar::TaskExpandSysVar(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskExpandSysVar::~TaskExpandSysVar() { markInterrupted(); }

int TaskExpandSysVar::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                            IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(expand(expander, setter), setter, resultVar, failOnError);
}

int TaskExpandSysVar::expand(IVariablesExpander* expander, IVariablesSetter* setter) {
  QString text = propertyText(kText);
  expandVariables(expander, text);
  const QString valueVar = expandedTrimmed(expander, propertyText(kValueVar));

  QString result;
  if (expandEnvironmentStrings(result, text) != 0) {
    VLOG_ERROR(getName()) << sysVarReport("Failed to expand system variables",
                                          {{"Text to expand", text}, {"Variable name to save expanded text", valueVar}},
                                          getId());
    return kFailed;
  }
  setVariable(setter, valueVar, result);
  VLOG_INFO(getName()) << sysVarReport(
      "System variables were expanded",
      {{"Text to expand", text}, {"Expanded text", result}, {"Variable name to save expanded text", valueVar}},
      getId());
  return 0;
}
