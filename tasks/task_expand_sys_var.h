#pragma once

#include "tasks/result_codes.h"
#include "tasks/task_common.h"

// Replaces the %NAME% references of a text by the process's environment variables
// and stores the result in a job variable.
class TaskExpandSysVar : public TaskCommon {
 public:
  static constexpr int kType = 602;
  static constexpr int kFailed = task_codes::kExpandSysVarFailed;

  TaskExpandSysVar(std::uint64_t id, ITask* parent);
  ~TaskExpandSysVar() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int expand(IVariablesExpander* expander, IVariablesSetter* setter);
};
