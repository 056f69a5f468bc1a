#include "tasks/task_foreach.h"

#include "core/interrupted.h"
#include "core/logger.h"
#include "core/result_codes.h"
#include "core/scoped_variables_expander.h"
#include "core/text_helpers.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/result_codes.h"
#include "tasks/task_runner.h"
#include "tasks/task_texts.h"

#include <QMutexLocker>
#include <QStringList>

namespace {

QString unquoted(QString text) {
  for (;;) {
    while (unquoteDoubleQuotes(text, true)) {
    }
    if (!unquoteSingleQuotes(text, true)) break;
  }
  return text.trimmed();
}

}  // namespace

TaskForeach::TaskForeach(std::uint64_t id, ITask* parent) : TaskContainer(id, task_texts::kForeach, parent) {}

TaskForeach::~TaskForeach() { markInterrupted(); }

bool TaskForeach::takeFlag(QMutex& mutex, bool& flag, bool clear) {
  QMutexLocker lock(&mutex);
  const bool value = flag;
  if (clear) flag = false;
  return value;
}

void TaskForeach::setFlag(QMutex& mutex, bool& flag, bool value) {
  QMutexLocker lock(&mutex);
  flag = value;
}

int TaskForeach::onMessage(const QString& message) {
  const QString text = message.trimmed();
  if (text == task_texts::kBreakMessage)
    setFlag(breakMutex_, break_, true);
  else if (text == task_texts::kContinueMessage)
    setFlag(continueMutex_, continue_, true);
  return 0;
}

int TaskForeach::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                       IConditionHandler* handler, INotifications* notifications) {
  const QString tag = task_texts::kForeach;
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);

  QString itemName = unquoted(expandedTrimmed(expander, propertyText(task_texts::kItem)));
  const QString items = unquoted(expandedTrimmed(expander, propertyText(task_texts::kIn)));
  if (itemName.isEmpty()) itemName = task_texts::kItem;

  VLOG_INFO(tag) << "Try to process internal tasks. \r\n    Items: '" << items << "'.\r\n    Item name: '"
                 << itemName << "'.\r\n    Number of child tasks: " << getChildCount() << ".\r\n    Task ID: "
                 << getId();

  // A macro that calls itself may run this loop again from inside its own pass;
  // the outer pass must get its own break and continue state back.
  const bool outerBreak = takeFlag(breakMutex_, break_, true);
  const bool outerContinue = takeFlag(continueMutex_, continue_, true);

  int code = 0;
  const QStringList parts = items.split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (const QString& rawPart : parts) {
    if (isInterrupted()) {
      code = reportInterrupted(tag, "The loop", getId());
      break;
    }
    if (isInterruptTasks(getter)) break;
    const QString part = rawPart.trimmed();
    if (part.isEmpty()) continue;
    VariablesMgr item;
    (void)item.set(itemName, part);  // cannot-fail
    ScopedVariablesExpander passExpander(VariablesExpanderHelper::KindHash, &item, expander);
    code = processChildTasks(&passExpander, getter, setter, handler, notifications);
    if (code != 0 && isInterruptTasksOnError(getter)) break;
    if (takeFlag(breakMutex_, break_, false)) {
      VLOG_INFO(tag) << "Break. Task ID: " << getId();
      break;
    }
  }

  setFlag(breakMutex_, break_, outerBreak);
  setFlag(continueMutex_, continue_, outerContinue);
  return finishStart(code, setter, resultVar, failOnError);
}

int TaskForeach::processChildTasks(IVariablesExpander* expander, IVariablesGetter* getter,
                                   IVariablesSetter* setter, IConditionHandler* handler,
                                   INotifications* notifications) {
  const QString tag = task_texts::kForeach;
  int code = 0;
  for (int index = 0; index < getChildCount(); ++index) {
    if (isInterrupted()) return core_codes::kInterrupted;
    if (isInterruptTasks(getter)) return code;
    ITask* child = nullptr;
    code = getChild(index, &child);
    if (code != 0) {
      VLOG_ERROR(tag) << "Failed to get child task object by index. Error: " << code << ". Index: " << index
                      << ". Task ID: " << getId();
      return code;
    }
    code = startTask(tag, child, expander, getter, setter, handler, notifications, getTaskProjectPreprocessor());
    if (code != 0) {
      if (isInterruptTasksOnError(getter)) {
        VLOG_ERROR(tag) << "Failed to process tasks! Processing of following tasks will be interrupted. Error: "
                        << code << ". Task name: '" << child->getName() << "'. Task ID: " << child->getId()
                        << ". ";
        return code;
      }
      VLOG_WARNING(tag) << "Failed to process tasks! Processing of following tasks will be continued. Error: "
                        << code << ". Task name: '" << child->getName() << "'. Task ID: " << child->getId()
                        << ". ";
    }
    if (takeFlag(breakMutex_, break_, false)) {
      VLOG_INFO(tag) << "Break. Task ID: " << getId();
      return code;
    }
    if (takeFlag(continueMutex_, continue_, true)) {
      VLOG_INFO(tag) << "Continue. Task ID: " << getId();
      return code;
    }
  }
  return code;
}
