#pragma once

#include "tasks/task_common.h"

// Searches a file for a text or a regular expression and stores "true" or "false" in
// a variable; a relative path is taken against the program's directory.
class TaskFindInFile : public TaskCommon {
 public:
  static constexpr int kType = 309;

  TaskFindInFile(std::uint64_t id, ITask* parent);
  ~TaskFindInFile() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int run(IVariablesExpander* expander, IVariablesSetter* setter);
};
