#include "tasks/task_system.h"

#include "core/logger.h"
#include "platform/shell_command.h"
#include "platform/stop_signals.h"
#include "tasks/result_codes.h"

namespace {

const QLatin1String kName("System");
const QLatin1String kCmd("cmd");
const QLatin1String kExitCodeVar("exitcodevar");

}  // namespace

int runSystem(int& exitCode, const QString& command, int* endSignal) {
  const unsigned error = platform::runShellCommand(command, exitCode, endSignal);
  if (error == 0) return 0;
  VLOG_ERROR("System") << "Failed to call 'runSystem'. Native error: " << error;
  return task_codes::kSystemCallFailed;
}

TaskSystem::TaskSystem(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskSystem::~TaskSystem() { markInterrupted(); }

int TaskSystem::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                      IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(execute(expander, setter), setter, resultVar, failOnError);
}

int TaskSystem::execute(IVariablesExpander* expander, IVariablesSetter* setter) {
  const QString cmd = expandedTrimmed(expander, propertyText(kCmd));
  const QString exitCodeVar = expandedTrimmed(expander, propertyText(kExitCodeVar));
  setVariable(setter, exitCodeVar, QStringLiteral("0"));
  VLOG_INFO(getName()) << "Task ID: " << getId() << ". Try to execute: \r\n    Command: " << cmd
                       << "\r\n    Exit code variable: " << exitCodeVar << "\r\n";
  if (cmd.isEmpty()) {
    VLOG_INFO(getName()) << "The command to execute not defined. Task ID: " << getId();
    return kNoCommand;
  }
  int exitCode = 0;
  int signal = 0;
  const int code = runSystem(exitCode, cmd, &signal);
  if (code != 0) {
    setVariable(setter, exitCodeVar, QStringLiteral("0"));
    VLOG_ERROR(getName()) << "Failed to run command. Error: " << code << ". Task ID: " << getId();
    return kRunFailed;
  }
  setVariable(setter, exitCodeVar, QString::number(exitCode));
  if (signal != 0)
    VLOG_WARNING(getName()) << "The command was ended by the signal " << platform::signalName(signal)
                            << ". Exit code: " << exitCode << ". Task ID: " << getId();
  VLOG_INFO(getName()) << "Command result: " << exitCode << ". Task ID: " << getId();
  return 0;
}
