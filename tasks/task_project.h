#pragma once

#include "core/file_set_info.h"
#include "tasks/task_common.h"

#include <QMap>
#include <QString>

#include <vector>

class IProject;
class IProjectsProvider;

// Name-value pairs that a build task turns into the environment of its processes.
using TaskEnvironment = QMap<QString, QString>;

// The base of the tasks that work on one named project of the project table.
class TaskProject : public TaskCommon {
 public:
  using TaskCommon::TaskCommon;

  bool isProjectTask() const override { return true; }

  // The file sets the task copies: the project's outputs, handed over by whoever
  // prepares the task.
  void setFileSets(const std::vector<FileSetInfo>& fileSets);
  std::vector<FileSetInfo> getFileSets() const;

  void setProjectsProvider(IProjectsProvider* provider) { projects_ = provider; }
  IProjectsProvider* getProjectsProvider() const { return projects_; }
  void setEnvironment(const TaskEnvironment& environment);
  void getEnvironment(TaskEnvironment& out) const;

  IProject* getProject(const QString& name) const;
  QString getProjectName(IVariablesExpander* expander);
  QString getOutput(IVariablesExpander* expander);
  // The output directory taken against the current directory; empty when not given.
  QString getAbsoluteOutput(IVariablesExpander* expander);
  QString getOutSubdir(const QString& projectName, IVariablesExpander* expander, IVariablesGetter* getter);
  bool isOutSubdirRecursive(const QString& projectName, IVariablesExpander* expander, IVariablesGetter* getter);
  QString getFileSetOutSubdir(const QString& projectName, IVariablesExpander* expander, IVariablesGetter* getter,
                              const QString& fileSetId);
  // Project names of the enclosing project tasks that depend on other projects,
  // nearest first, joined by ",".
  QString getParentProjectNames(IVariablesExpander* expander, IVariablesGetter* getter);
  bool checkDependenceCondition(IVariablesExpander* expander, IConditionHandler* handler, const QString& subdir);
  // The preStart of the tasks that copy project outputs: logs the project's output
  // subdirectory and, when it applies recursively, hands it to the dependences' tasks,
  // the children of this task or of the one it works for (a build task's builder).
  // Lines go to the log category given.
  void passOutSubdirToDependences(IVariablesExpander* expander, IVariablesGetter* getter, IConditionHandler* handler,
                                  std::uint64_t logCategory, TaskProject* dependencesHolder = nullptr);

 private:
  mutable QMutex fileSetsMutex_;
  std::vector<FileSetInfo> fileSets_;
  IProjectsProvider* projects_ = nullptr;
  TaskEnvironment environment_;
};
