#pragma once

#include "tasks/result_codes.h"
#include "tasks/task_common.h"

// Copies a process or system-wide environment variable into a job variable.
class TaskGetSysVar : public TaskCommon {
 public:
  static constexpr int kType = 603;
  static constexpr int kFailed = task_codes::kGetSysVarFailed;

  TaskGetSysVar(std::uint64_t id, ITask* parent);
  ~TaskGetSysVar() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int read(IVariablesExpander* expander, IVariablesSetter* setter);
};
