#pragma once

#include "tasks/task_common.h"

// Writes text items into a file, appending or truncating; a relative path is taken
// against the program's directory. A failed write is an error, never a silent loss, and
// leaves the file as it was.
class TaskWriteFile : public TaskCommon {
 public:
  static constexpr int kType = 308;

  TaskWriteFile(std::uint64_t id, ITask* parent);
  ~TaskWriteFile() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int run(IVariablesExpander* expander);
};
