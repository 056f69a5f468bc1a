#pragma once

#include "tasks/task_types.h"
#include "tasks/task_project.h"

#include <QMutex>

#include <memory>

class TaskBuildImpl;

// The job's "build" task: on its first preStart it picks the builder for the project's
// build type, and from then on hands it the task's current attributes and its work.
class TaskBuild : public TaskProject {
 public:
  static constexpr int kType = task_types::kBuild;

  TaskBuild(std::uint64_t id, ITask* parent);
  ~TaskBuild() override;

  int getType() const override { return kType; }

  // Makes the builder, replacing any earlier one: 314 without a project name, 400 for a
  // project not in the table, 360 for a build type without a builder.
  [[nodiscard]] int createConcreteTask(IVariablesExpander* expander);
  // The builder, made on first use, gets the task's attributes again on every call.
  [[nodiscard]] int preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                             IConditionHandler* handler, INotifications* notifications) override;
  // The builder's start; 4 without a builder.
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override;

  TaskBuildImpl* builder() const { return builder_.get(); }

 private:
  std::unique_ptr<TaskBuildImpl> builder_;
  // A stop interrupts from another thread while preStart may be making the builder.
  mutable QMutex builderMutex_;
};
