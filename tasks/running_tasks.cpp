#include "tasks/running_tasks.h"

#include "tasks/task.h"

#include <QMutex>
#include <QMutexLocker>

#include <vector>

namespace {

// Never destroyed: the stop's thread may still come here as the program exits.
struct Running {
  // Held while a task is interrupted: it cannot leave, and so end, in the middle of it.
  QMutex mutex;
  // Innermost last; one thread's tasks leave in the reverse order of entering.
  std::vector<ITask*> tasks;
  bool stopped = false;
};

Running& state() {
  static Running* const instance = new Running;
  return *instance;
}

}  // namespace

void enterRunningTask(ITask* task) {
  if (!task) return;
  Running& r = state();
  QMutexLocker lock(&r.mutex);
  r.tasks.push_back(task);
  if (r.stopped) task->interrupt();
}

void leaveRunningTask(ITask* task) {
  if (!task) return;
  Running& r = state();
  QMutexLocker lock(&r.mutex);
  std::vector<ITask*>& tasks = r.tasks;
  for (auto it = tasks.rbegin(); it != tasks.rend(); ++it) {
    if (*it != task) continue;
    tasks.erase(std::next(it).base());
    return;
  }
}

void interruptRunningTasks() {
  Running& r = state();
  QMutexLocker lock(&r.mutex);
  r.stopped = true;
  for (ITask* task : r.tasks) task->interrupt();
}
