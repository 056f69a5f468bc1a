#include "tasks/task_foreach_break.h"

#include "core/logger.h"
#include "tasks/task_texts.h"

TaskForeachBreak::TaskForeachBreak(std::uint64_t id, ITask* parent)
    : TaskCommon(id, task_texts::kForeachBreak, parent) {}

TaskForeachBreak::~TaskForeachBreak() { markInterrupted(); }

int TaskForeachBreak::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                            IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  if (ITask* parent = getParent()) {
    VLOG_INFO(getName()) << "Send 'break' message. Task ID: " << getId();
    (void)parent->onMessage(task_texts::kBreakMessage);  // advisory
  }
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
