#include "tasks/task_foreach_continue.h"

#include "core/logger.h"
#include "tasks/task_texts.h"

TaskForeachContinue::TaskForeachContinue(std::uint64_t id, ITask* parent)
    : TaskCommon(id, task_texts::kForeachContinue, parent) {}

TaskForeachContinue::~TaskForeachContinue() { markInterrupted(); }

int TaskForeachContinue::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                               IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  if (ITask* parent = getParent()) {
    VLOG_INFO(getName()) << "Send 'continue' message. Task ID: " << getId();
    (void)parent->onMessage(task_texts::kContinueMessage);  // advisory
  }
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
