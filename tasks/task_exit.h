#pragma once

#include "tasks/task_common.h"

// Stops the whole run: notifies 200, or 201 when "error" is true.
class TaskExit : public TaskCommon {
 public:
  static constexpr int kType = 50;

  TaskExit(std::uint64_t id, ITask* parent);
  ~TaskExit() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
