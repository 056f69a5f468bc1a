#pragma once

#include "tasks/task_common.h"
#include "tasks/task_types.h"

// Reads the version of a header or .NET version file into a variable.
class TaskVersionFileRead : public TaskCommon {
 public:
  static constexpr int kType = task_types::kVersionFileRead;

  TaskVersionFileRead(std::uint64_t id, ITask* parent);
  ~TaskVersionFileRead() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int read(IVariablesExpander* expander, IVariablesSetter* setter);
};
