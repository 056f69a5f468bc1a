#pragma once

#include "tasks/task_common.h"

// Plays a WAV file beside the job file, or else the success or error sound.
class TaskSound : public TaskCommon {
 public:
  static constexpr int kType = 401;

  TaskSound(std::uint64_t id, ITask* parent);
  ~TaskSound() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }
};
