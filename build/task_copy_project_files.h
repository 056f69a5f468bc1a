#pragma once

#include "tasks/task_types.h"
#include "tasks/task_project.h"

// Copies chosen file sets of a project (the task's file-set list) to an output
// directory, at most once per configuration, output directory and set of ids in a run.
class TaskCopyProjectFiles : public TaskProject {
 public:
  static constexpr int kType = task_types::kCopyProjectFiles;

  TaskCopyProjectFiles(std::uint64_t id, ITask* parent);
  ~TaskCopyProjectFiles() override;

  int getType() const override { return kType; }
  // False when "notrecursively" is true: the project's dependences are then not copied.
  bool isDependsFromOtherProjects(IVariablesExpander* expander, IVariablesGetter* getter) override;
  [[nodiscard]] int preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                             IConditionHandler* handler, INotifications* notifications) override;
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

  // The key under which a copy is recorded in the project's "resultoutputs".
  static QString processedStateKey(const QString& configuration, const QString& outputDir,
                                   const QString& normalizedIds);
};
