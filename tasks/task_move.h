#pragma once

#include "tasks/task_with_file_sets.h"

// Holds the attributes and file sets of a copy but does no work.
class TaskMove : public TaskWithFileSets {
 public:
  static constexpr int kType = 306;

  TaskMove(std::uint64_t id, ITask* parent);
  ~TaskMove() override;

  int getType() const override { return kType; }
  // Returns 0 and leaves the result variable alone.
  int start(IVariablesExpander*, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
            INotifications*) override {
    return 0;
  }
  void interrupt() override { markInterrupted(); }
};
