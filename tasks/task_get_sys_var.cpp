#include "tasks/task_get_sys_var.h"

#include "core/environment_access.h"
#include "core/logger.h"
#include "core/text_helpers.h"
#include "tasks/sys_var_report.h"

namespace {

const QLatin1String kName("GetSysVar");
const QLatin1String kVarName("name");
const QLatin1String kValueVar("valuevar");
const QLatin1String kSystem("system");

}  // namespace

TaskGetSysVar::TaskGetSysVar(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskGetSysVar::~TaskGetSysVar() { markInterrupted(); }

int TaskGetSysVar::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                         IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(read(expander, setter), setter, resultVar, failOnError);
}

int TaskGetSysVar::read(IVariablesExpander* expander, IVariablesSetter* setter) {
  const QString name = expandedTrimmed(expander, propertyText(kVarName));
  const QString valueVar = expandedTrimmed(expander, propertyText(kValueVar));
  const bool system = isTrue(expandedTrimmed(expander, propertyText(kSystem)));

  QString value;
  const char* received = nullptr;
  const char* failed = nullptr;
  if (!system) {
    if (getProcessEnvironmentVariable(value, name) == 0)
      received = "Process environment variable has been received";
    else
      failed = "Failed to get process environment variable";
  } else if (getSystemEnvironmentVariable(value, name) == 0) {
    received = "System environment variable has been received";
  } else if (expandEnvironmentStrings(value, QLatin1Char('%') + name + QLatin1Char('%')) == 0) {
    // Missing system-wide: the process variable of that name, or the reference itself.
    received = "System environment variable has been received (*)";
  } else {
    failed = "Failed to get system environment variable";
  }

  if (failed) {
    VLOG_ERROR(getName()) << sysVarReport(
        failed, {{"Variable", name}, {"Value", value}, {"Variable name to save value", valueVar}}, getId());
    return kFailed;
  }
  setVariable(setter, valueVar, value);
  VLOG_INFO(getName()) << sysVarReport(
      received, {{"Variable", name}, {"Value", value}, {"Variable name to save value", valueVar}}, getId());
  return 0;
}
