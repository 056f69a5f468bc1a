#pragma once

#include "tasks/task_common.h"

// Sets one variable to a text, or to the result of an expression computed by the
// condition handler.
class TaskSetvar : public TaskCommon {
 public:
  static constexpr int kType = 601;

  TaskSetvar(std::uint64_t id, ITask* parent);
  ~TaskSetvar() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int setValue(IVariablesExpander* expander, IVariablesSetter* setter, IConditionHandler* handler);
};
