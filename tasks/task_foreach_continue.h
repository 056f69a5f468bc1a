#pragma once

#include "tasks/task_common.h"

// Ends the current pass of the enclosing loop: sends the continue message to its
// direct parent.
class TaskForeachContinue : public TaskCommon {
 public:
  static constexpr int kType = 72;

  TaskForeachContinue(std::uint64_t id, ITask* parent);
  ~TaskForeachContinue() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
