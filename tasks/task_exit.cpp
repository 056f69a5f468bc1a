#include "tasks/task_exit.h"

#include "core/logger.h"
#include "core/text_helpers.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_texts.h"

TaskExit::TaskExit(std::uint64_t id, ITask* parent) : TaskCommon(id, task_texts::kExit, parent) {}

TaskExit::~TaskExit() { markInterrupted(); }

int TaskExit::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                    IConditionHandler*, INotifications* notifications) {
  const QString resultVar = getResultVarExpanded(expander);
  const QString error = expandedTrimmed(expander, propertyText(task_texts::kError));
  const QString message = expandedTrimmed(expander, propertyText(task_texts::kMessage));
  VLOG_INFO(getName()) << "\r\nError: '" << error << "'.\r\n    Message: '" << message << "'.\r\n    Task ID: "
                       << getId();
  if (notifications) {
    int code = INotifications::kInterrupt;
    if (isTrue(error)) {
      code = INotifications::kInterruptWithError;
      VLOG_INFO(getName()) << "Try send message to interrupt tasks (with error). Task ID: " << getId();
    } else {
      VLOG_INFO(getName()) << "Try send message to interrupt tasks. Task ID: " << getId();
    }
    (void)notifications->sendMessage(code, message);  // advisory
  }
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
