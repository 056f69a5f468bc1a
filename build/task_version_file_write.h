#pragma once

#include "tasks/task_common.h"
#include "tasks/task_types.h"

// Writes a version, stamped with the date on request, into a header or .NET version file.
class TaskVersionFileWrite : public TaskCommon {
 public:
  static constexpr int kType = task_types::kVersionFileWrite;

  TaskVersionFileWrite(std::uint64_t id, ITask* parent);
  ~TaskVersionFileWrite() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int write(IVariablesExpander* expander);
};
