#include "tasks/task_set_sys_var.h"

#include "core/environment_access.h"
#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "tasks/sys_var_report.h"

namespace {

const QLatin1String kName("SetSysVar");
const QLatin1String kVarName("name");
const QLatin1String kValue("value");
const QLatin1String kSystem("system");

}  // namespace

TaskSetSysVar::TaskSetSysVar(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskSetSysVar::~TaskSetSysVar() { markInterrupted(); }

int TaskSetSysVar::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                         IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(write(expander), setter, resultVar, failOnError);
}

int TaskSetSysVar::write(IVariablesExpander* expander) {
  const QString name = expandedTrimmed(expander, propertyText(kVarName));
  QString value = propertyText(kValue);
  expandVariables(expander, value);
  const bool system = isTrue(expandedTrimmed(expander, propertyText(kSystem)));

  const bool ok = system ? setSystemEnvironmentVariable(name, value) == 0
                         : setProcessEnvironmentVariable(name, value) == 0;
  const char* header = system ? (ok ? "System environment variable has been updated"
                                    : "Failed to set system environment variable")
                              : (ok ? "Process environment variable has been updated"
                                    : "Failed to set process environment variable");
  const QString text = sysVarReport(header, {{"Variable", name}, {"Value", value}}, getId());
  if (!ok) {
    VLOG_ERROR(getName()) << text;
    return kFailed;
  }
  VLOG_INFO(getName()) << text;
  return 0;
}
