#pragma once

#include "core/result_codes.h"
#include "tasks/result_codes.h"
#include "tasks/task_common.h"

#include <memory>

class ProcessHelper;

// Starts one program directly with a list of arguments (never through a shell),
// waits for it as long as "waittime" says and reports its exit code and whether it
// ended in variables. The result says only whether the program could be run and its
// caught output kept: a program's own exit code never fails the task. A program ended
// by a signal reports 128 + the signal, with a warning naming it.
class TaskExec : public TaskCommon {
 public:
  static constexpr int kType = 100;
  static constexpr int kNoCommand = task_codes::kNoCommand;
  // The runner's: busy, the program did not start, the "output" file could not be written.
  static constexpr int kAlreadyRunning = core_codes::kAlreadyRunning;
  static constexpr int kFailedToStart = core_codes::kFailedToStart;
  static constexpr int kOutputNotWritten = core_codes::kOutputNotWritten;

  TaskExec(std::uint64_t id, ITask* parent);
  ~TaskExec() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  // Ends the wait of a run under way (and, without a waiting time, the program); a
  // program is not started once the task is interrupted.
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int execute(IVariablesExpander* expander, IVariablesSetter* setter);

  std::unique_ptr<ProcessHelper> process_;
};
