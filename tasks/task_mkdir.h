#pragma once

#include "tasks/task_common.h"

// Creates a directory with all its missing parents; a relative path is taken against
// the current directory.
class TaskMkdir : public TaskCommon {
 public:
  static constexpr int kType = 201;

  TaskMkdir(std::uint64_t id, ITask* parent);
  ~TaskMkdir() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int run(IVariablesExpander* expander);
};
