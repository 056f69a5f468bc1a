#pragma once

#include "tasks/task_common.h"

// Renames a file or a directory, in one step where the system can. A rename onto
// itself does nothing; nothing is removed for a rename of a directory into itself or
// over a directory that holds it.
class TaskRename : public TaskCommon {
 public:
  static constexpr int kType = 206;

  TaskRename(std::uint64_t id, ITask* parent);
  ~TaskRename() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int run(IVariablesExpander* expander);
};
