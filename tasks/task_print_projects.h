#pragma once

#include "tasks/task_project.h"

// Lists the projects of the project table, briefly or with every detail, to the log
// and, when "file" names one, to that file.
class TaskPrintProjects : public TaskProject {
 public:
  static constexpr int kType = 402;

  TaskPrintProjects(std::uint64_t id, ITask* parent);
  ~TaskPrintProjects() override;

  int getType() const override { return kType; }
  // Never prepared for a project by the runner.
  bool isAttachedToProject() const override { return false; }
  bool isDependsFromOtherProjects(IVariablesExpander*, IVariablesGetter*) override { return false; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

  // The listing of every project in the table's order.
  QString listing(bool details, bool showDependence);
};
