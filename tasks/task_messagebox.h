#pragma once

#include "tasks/task_common.h"

// Shows its message in a box titled "BUILD SYSTEM" and waits until it is closed.
class TaskMessagebox : public TaskCommon {
 public:
  static constexpr int kType = 500;

  TaskMessagebox(std::uint64_t id, ITask* parent);
  ~TaskMessagebox() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
