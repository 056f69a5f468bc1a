#pragma once

#include "tasks/task_common.h"

// Ends the enclosing loop: sends the break message to its direct parent.
class TaskForeachBreak : public TaskCommon {
 public:
  static constexpr int kType = 71;

  TaskForeachBreak(std::uint64_t id, ITask* parent);
  ~TaskForeachBreak() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
