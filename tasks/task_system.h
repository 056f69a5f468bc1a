#pragma once

#include "tasks/result_codes.h"
#include "tasks/task_common.h"

// Hands one command line to the command interpreter and reports its exit code in a
// variable. The result says only whether the interpreter could be run. An interpreter
// ended by a signal reports 128 + the signal, with a warning naming it.
class TaskSystem : public TaskCommon {
 public:
  static constexpr int kType = 101;
  static constexpr int kNoCommand = task_codes::kNoCommand;
  static constexpr int kRunFailed = task_codes::kRunSystemFailed;

  TaskSystem(std::uint64_t id, ITask* parent);
  ~TaskSystem() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int execute(IVariablesExpander* expander, IVariablesSetter* setter);
};

// Runs one command line through the command interpreter and waits for it: 0 and its
// exit code, or 5 (logged with the tag "System") when the interpreter could not be run.
// An interpreter ended by a signal gives 128 + the signal, and the signal in *endSignal.
[[nodiscard]] int runSystem(int& exitCode, const QString& command, int* endSignal = nullptr);
