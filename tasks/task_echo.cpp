#include "tasks/task_echo.h"

#include "core/logger.h"
#include "core/variables_expander.h"
#include "tasks/task_texts.h"

namespace {
const QLatin1String kName("Echo");
const QLatin1String kLevel("level");
}  // namespace

TaskEcho::TaskEcho(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskEcho::~TaskEcho() { markInterrupted(); }

int TaskEcho::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter, IConditionHandler*,
                    INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  QString message = propertyText(task_texts::kMessage);
  expandVariables(expander, message);
  // "level" and "file" are read and expanded, but the text always goes to the trace log.
  QString level = propertyText(kLevel);
  expandVariables(expander, level);
  QString file = propertyText(task_texts::kFile);
  expandVariables(expander, file);
  VLOG_TRACE(kName) << message;
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
