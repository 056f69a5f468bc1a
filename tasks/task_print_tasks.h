#pragma once

#include "tasks/task_common.h"

// Accepted in a job but prints nothing.
class TaskPrintTasks : public TaskCommon {
 public:
  static constexpr int kType = 403;

  TaskPrintTasks(std::uint64_t id, ITask* parent);
  ~TaskPrintTasks() override;

  int getType() const override { return kType; }
  // Returns 0 at once and stores nothing.
  int start(IVariablesExpander*, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
            INotifications*) override {
    return 0;
  }
  void interrupt() override { markInterrupted(); }
};
