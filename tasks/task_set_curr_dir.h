#pragma once

#include "tasks/task_common.h"

// Changes the process's current directory, against which every later relative path
// of the run is taken.
class TaskSetCurrDir : public TaskCommon {
 public:
  static constexpr int kType = 205;

  TaskSetCurrDir(std::uint64_t id, ITask* parent);
  ~TaskSetCurrDir() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int run(IVariablesExpander* expander);
};
