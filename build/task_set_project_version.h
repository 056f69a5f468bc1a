#pragma once

#include "tasks/task_project.h"
#include "tasks/task_types.h"

// Writes a version, stamped with the date unless told not to, into one of a project's
// version files.
class TaskSetProjectVersion : public TaskProject {
 public:
  static constexpr int kType = task_types::kSetProjectVersion;

  TaskSetProjectVersion(std::uint64_t id, ITask* parent);
  ~TaskSetProjectVersion() override;

  int getType() const override { return kType; }
  bool isDependsFromOtherProjects(IVariablesExpander*, IVariablesGetter*) override { return false; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

  // The version file that versionId names (the first one for an empty id), resolved
  // against the directory of the project's definition file; empty when no id matches.
  // 3 without a project, 339 when it has no version files, 340 when the first cannot
  // be read; else 0.
  [[nodiscard]] static int selectVersionFile(IProject* project, const QString& versionId,
                                             IVariablesExpander* expander, QString& file);
  // Writes version into file, its separators made "," for a header and "." for a
  // .NET file when it uses only the other one. 72 when nothing is there; else the
  // writer's code.
  [[nodiscard]] static int updateVersionFile(const QString& file, const QString& version);

 private:
  [[nodiscard]] int setVersion(IVariablesExpander* expander, IVariablesGetter* getter);
};
