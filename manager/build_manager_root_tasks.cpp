#include "manager/build_manager.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "core/run_variables.h"
#include "core/text_helpers.h"
#include "manager/result_codes.h"
#include "manager/stop_policy.h"
#include "platform/message_box.h"
#include "tasks/task_runner.h"

#include <QMutexLocker>

using namespace manager_codes;

int BuildManager::performTasks() {
  std::vector<std::shared_ptr<ITask>> tasks = rootTasks();
  bool stop = stopOnError();
  QString value;
  if (globalVariables_.get(run_variables::kInterruptTasksOnError, value) == 0) {
    if (isTrue(value))
      stop = true;
    else if (isFalse(value))
      stop = false;
    QMutexLocker lock(&settingsMutex_);
    stopOnError_ = stop;
  }
  VLOG_INFO(kLogTag) << "[PerformTasks] Number of tasks (root tasks) to process: " << tasks.size();

  int result = kOk;
  for (const std::shared_ptr<ITask>& task : tasks) {
    if (finishState() != FinishNone || StopPolicy::stopped()) break;
    if (!task->isEnabled()) {
      VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kLogTag)
          << "[PerformTasks] Task is disabled. Task name: " << task->getName() << ". Task ID: " << task->getId();
      continue;
    }
    if (task->isProcessed()) {
      VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kLogTag)
          << "[PerformTasks] Task already processed. Task name: " << task->getName()
          << ". Task ID: " << task->getId();
      continue;
    }
    VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kLogTag)
        << "[PerformTasks] Try to start the task. Task name: " << task->getName() << ". Task ID: " << task->getId()
        << ". Task type: " << task->getType();
    result = startRootTask(task.get());
    if (result != kOk && stop) {
      VLOG_ERROR(kLogTag) << "[PerformTasks] Task failed. Tasks processing will be stopped. Task name: "
                          << task->getName() << ". Task ID: " << task->getId() << ". Task type: " << task->getType();
      break;
    }
  }
  return result;
}

int BuildManager::startRootTask(ITask* task) {
  if (!task) return kNullTask;
  return startTask(kLogTag, task, tasksExpander(), &globalVariables_, &globalVariables_, this, this, this);
}

int BuildManager::sendMessage(int code, const QString& text) {
  switch (code) {
    case kMessage:
      VLOG_INFO(kLogTag) << "[SendMessage] Message was received: " << text;
      break;
    case kInterrupt:
    case kInterruptWithError: {
      {
        QMutexLocker lock(&finishMutex_);
        finishState_ = code == kInterrupt ? FinishInterrupted : FinishInterruptedWithError;
        finishMessage_ = text;
      }
      // The finish state above stops the run even when the variable is refused.
      (void)globalVariables_.set(run_variables::kInterruptTasks, trueString());  // redundant
      if (code == kInterrupt)
        VLOG_INFO(kLogTag) << "[SendMessage] All tasks will be interrupted.";
      else
        VLOG_INFO(kLogTag) << "[SendMessage] All tasks will be interrupted (with error).";
      break;
    }
    default:
      break;
  }
  return kOk;
}

int BuildManager::finish(int result) {
  setRunning(false);
  QString value;
  const bool showMessage = globalVariables_.get(run_variables::kShowMessageWhenComplete, value) == 0 && isTrue(value);
  const bool playSound = globalVariables_.get(run_variables::kPlaySoundWhenComplete, value) == 0 && isTrue(value);
  int state;
  QString message;
  {
    QMutexLocker lock(&finishMutex_);
    state = finishState_;
    message = finishMessage_;
  }
  // An error interruption whose tasks all returned 0 must still read as a failure; a run
  // stopped by a signal did not do what it was asked, whatever its last task returned.
  const bool stopped = StopPolicy::stopped();
  if (stopped || (state == FinishInterruptedWithError && result == kOk)) result = core_codes::kInterrupted;

  VLOG_TRACE(kLogTag) << "Finish. Show message: " << (showMessage ? 1 : 0) << ". Play sound: " << (playSound ? 1 : 0)
                      << ". Result: " << result;
  if (state == FinishInterrupted)
    VLOG_WARNING(kLogTag) << "Finish. Execution of the tasks has been interrupted. Message: " << message;
  else if (state == FinishInterruptedWithError)
    VLOG_ERROR(kLogTag) << "Finish. Execution of the tasks has been interrupted due to an error! Error message: "
                        << message;

  const bool failed = result != kOk || state == FinishInterruptedWithError;
  // A run stopped by a signal is wanted gone: no sound, and no box that waits for Enter.
  if (playSound && !stopped) failed ? playErrorSound() : playSuccessSound();
  if (showMessage && failed && !stopped) {
    QString text = QStringLiteral("An error occurred while performing tasks.\r\nError: ") + QString::number(result) +
                   QStringLiteral(".\r\n");
    if (state == FinishInterruptedWithError) {
      text += QStringLiteral("\r\nExecution of the tasks has been interrupted due to an error!");
      if (!message.isEmpty()) text += QStringLiteral("\r\n\r\n") + message;
      text += QStringLiteral("\r\n");
    }
    (void)platform::showMessageBox(platform::BoxError, QStringLiteral("BUILD SYSTEM"), text);  // infallible
  }
  return result;
}
