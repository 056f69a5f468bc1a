#pragma once

#include "tasks/task_common.h"

// Loads a property file into the variables while the job runs.
class TaskLoadProperties : public TaskCommon {
 public:
  static constexpr int kType = 150;

  TaskLoadProperties(std::uint64_t id, ITask* parent);
  ~TaskLoadProperties() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int load(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter);
};
