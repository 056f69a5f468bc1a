#pragma once

#include "tasks/task_common.h"

// Writes its message, as it is, to the log at trace level.
class TaskEcho : public TaskCommon {
 public:
  static constexpr int kType = 400;

  TaskEcho(std::uint64_t id, ITask* parent);
  ~TaskEcho() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
