#pragma once

#include "tasks/task_container.h"

#include <QMutex>

// Runs its children once for every item of the comma-separated "in" list, with the
// item published as #{<item>}. Break and continue reach it through onMessage.
class TaskForeach : public TaskContainer {
 public:
  static constexpr int kType = 70;

  TaskForeach(std::uint64_t id, ITask* parent);
  ~TaskForeach() override;

  int getType() const override { return kType; }
  [[nodiscard]] int onMessage(const QString& message) override;
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

  // One pass over the children.
  [[nodiscard]] int processChildTasks(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                                      IConditionHandler* handler, INotifications* notifications);

 private:
  bool takeFlag(QMutex& mutex, bool& flag, bool clear);
  void setFlag(QMutex& mutex, bool& flag, bool value);

  QMutex breakMutex_;
  bool break_ = false;
  QMutex continueMutex_;
  bool continue_ = false;
};
