#pragma once

#include "tasks/task_common.h"

// Asks a yes-or-no question and stores "true" or "false" in its result variable.
class TaskQuestion : public TaskCommon {
 public:
  static constexpr int kType = 501;

  TaskQuestion(std::uint64_t id, ITask* parent);
  ~TaskQuestion() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
