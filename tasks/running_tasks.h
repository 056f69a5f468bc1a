#pragma once

class ITask;

// The tasks being run now, nested ones included, so that a stop reaches each of them
// through its own interrupt(). Safe from any thread.

// A task enters before its run and leaves after it; one that enters after a stop is
// interrupted at once.
void enterRunningTask(ITask* task);
void leaveRunningTask(ITask* task);

// Interrupts every running task and every task that enters from now on. Quick: it
// only calls interrupt(), which sets a flag.
void interruptRunningTasks();

// Enters the task for the scope's life.
class RunningTaskScope {
 public:
  explicit RunningTaskScope(ITask* task) : task_(task) { enterRunningTask(task_); }
  ~RunningTaskScope() { leaveRunningTask(task_); }
  RunningTaskScope(const RunningTaskScope&) = delete;
  RunningTaskScope& operator=(const RunningTaskScope&) = delete;

 private:
  ITask* task_;
};
