#pragma once

#include "tasks/task_common.h"

// Prints the run's variables as a table to the log and, when "file" names one, to
// that file.
class TaskPrintVars : public TaskCommon {
 public:
  static constexpr int kType = 404;

  TaskPrintVars(std::uint64_t id, ITask* parent);
  ~TaskPrintVars() override;

  int getType() const override { return kType; }
  // Always 0, stored into the result variable.
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
