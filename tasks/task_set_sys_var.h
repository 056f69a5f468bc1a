#pragma once

#include "tasks/result_codes.h"
#include "tasks/task_common.h"

// Sets a process environment variable (inherited by the programs started later) or a
// system-wide one (read by new sessions, not by this process).
class TaskSetSysVar : public TaskCommon {
 public:
  static constexpr int kType = 604;
  static constexpr int kFailed = task_codes::kSetSysVarFailed;

  TaskSetSysVar(std::uint64_t id, ITask* parent);
  ~TaskSetSysVar() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int write(IVariablesExpander* expander);
};
