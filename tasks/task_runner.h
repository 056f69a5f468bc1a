#pragma once

#include "core/case_blind_less.h"
#include "tasks/result_codes.h"

#include <QString>

#include <set>

class ITask;
class IProject;
class IProjectsProvider;
class IVariablesExpander;
class IVariablesGetter;
class IVariablesSetter;
class IConditionHandler;
class INotifications;
class ITaskProjectPreprocessor;

// Tasks run inside tasks (loops, macro calls) nested deeper than this fail with
// kTasksNestedTooDeeply instead of overflowing the stack.
constexpr int kMaxTaskNesting = 1024;
constexpr int kTasksNestedTooDeeply = task_codes::kTasksNestedTooDeeply;

// Runs one task and, unless it is a container, its children: interruption, project
// preparation, the details block, the condition, preStart, children, start.
// Every line the runner itself writes carries logTag.
[[nodiscard]] int startTask(const QString& logTag, ITask* task, IVariablesExpander* expander, IVariablesGetter* getter,
                            IVariablesSetter* setter, IConditionHandler* handler, INotifications* notifications,
                            ITaskProjectPreprocessor* preprocessor);

// Helpers over project tasks, shared by the driver and the project tasks.
bool hasProjectTask(ITask* task, const QString& projectName);
// Every name that hasProjectTask(task, name) finds, gathered in one walk.
void collectProjectTaskNames(ITask* task, std::set<QString, CaseBlindLess>& out);
ITask* getRootTask(ITask* task);
void setPreparedRecursively(ITask* task, bool prepared);
IProject* getProjectByName(IProjectsProvider* provider, const QString& name);
QString getTaskProjectName(ITask* task, IVariablesExpander* expander);
QString getTaskCurrentProjectName(ITask* task);
QString getTaskRawProjectName(ITask* task);
QString getTaskOutput(ITask* task, IVariablesExpander* expander);
QString getPreferOutSubDir(ITask* task, const QString& projectName, IVariablesExpander* expander,
                           IVariablesGetter* getter);
bool isPreferOutSubDirRecursively(ITask* task, const QString& projectName, IVariablesExpander* expander,
                                  IVariablesGetter* getter);
QString getFileSetOutSubDir(ITask* task, const QString& projectName, IVariablesExpander* expander,
                            IVariablesGetter* getter, const QString& fileSetId);
// Gives subdir to every child project task that the project depends on (where the
// dependence's condition holds), recursively; true when any was changed.
bool updateDependentOutputSubDirs(ITask* task, const QString& projectName, IProjectsProvider* provider,
                                  IVariablesExpander* expander, IConditionHandler* handler,
                                  const QString& subdir);
