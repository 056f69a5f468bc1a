#include "tasks/running_tasks.h"

#include "tasks/task.h"

#include <QMutex>
#include <QMutexLocker>

#include <vector>

namespace {

// Held while a task is interrupted: it cannot leave, and so end, in the middle of it.
QMutex& runningMutex() {
  static QMutex mutex;
  return mutex;
}

// Innermost last; one thread's tasks leave in the reverse order of entering.
std::vector<ITask*>& running() {
  static std::vector<ITask*> tasks;
  return tasks;
}

bool g_stopped = false;

}  // namespace

void enterRunningTask(ITask* task) {
  if (!task) return;
  QMutexLocker lock(&runningMutex());
  running().push_back(task);
  if (g_stopped) task->interrupt();
}

void leaveRunningTask(ITask* task) {
  if (!task) return;
  QMutexLocker lock(&runningMutex());
  std::vector<ITask*>& tasks = running();
  for (auto it = tasks.rbegin(); it != tasks.rend(); ++it) {
    if (*it != task) continue;
    tasks.erase(std::next(it).base());
    return;
  }
}

void interruptRunningTasks() {
  QMutexLocker lock(&runningMutex());
  g_stopped = true;
  for (ITask* task : running()) task->interrupt();
}
