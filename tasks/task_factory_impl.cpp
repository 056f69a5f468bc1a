#include "tasks/task_factory_impl.h"

#include "build/task_build.h"
#include "build/task_copy_project_files.h"
#include "build/task_set_project_version.h"
#include "build/task_version_file_read.h"
#include "build/task_version_file_write.h"
#include "core/properties_mgr.h"
#include "intr/item_id_provider.h"
#include "tasks/result_codes.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_copy_files.h"
#include "tasks/task_delete.h"
#include "tasks/task_echo.h"
#include "tasks/task_exec.h"
#include "tasks/task_exit.h"
#include "tasks/task_expand_sys_var.h"
#include "tasks/task_find_in_file.h"
#include "tasks/task_foreach.h"
#include "tasks/task_foreach_break.h"
#include "tasks/task_foreach_continue.h"
#include "tasks/task_get_sys_var.h"
#include "tasks/task_load_properties.h"
#include "tasks/task_macrodef.h"
#include "tasks/task_messagebox.h"
#include "tasks/task_mkdir.h"
#include "tasks/task_move.h"
#include "tasks/task_print_projects.h"
#include "tasks/task_print_tasks.h"
#include "tasks/task_print_vars.h"
#include "tasks/task_question.h"
#include "tasks/task_rename.h"
#include "tasks/task_set_curr_dir.h"
#include "tasks/task_set_sys_var.h"
#include "tasks/task_setvar.h"
#include "tasks/task_sound.h"
#include "tasks/task_system.h"
#include "tasks/task_texts.h"
#include "tasks/task_write_file.h"

#include <iterator>

namespace {

// What a new task may need wired in besides its id and parent.
struct TaskContext {
  std::uint64_t id;
  const QString& elementName;
  ITask* parent;
  IMacrodef* macrodef;
  IProjectsProvider* projects;
  ITaskProjectPreprocessor* preprocessor;
};

template <typename T>
ITask* createPlain(const TaskContext& c) {
  return new T(c.id, c.parent);
}

template <typename T>
ITask* createProjectTask(const TaskContext& c) {
  auto* task = new T(c.id, c.parent);
  task->setProjectsProvider(c.projects);
  return task;
}

ITask* createMacroCall(const TaskContext& c) {
  auto* task = new TaskMacrodef(c.id, c.elementName, c.parent);
  task->setMacrodef(c.macrodef);
  task->setTaskProjectPreprocessor(c.preprocessor);
  return task;
}

ITask* createForeach(const TaskContext& c) {
  auto* task = new TaskForeach(c.id, c.parent);
  task->setTaskProjectPreprocessor(c.preprocessor);
  return task;
}

struct TaskKind {
  unsigned int typeId;
  bool needsProjects;
  ITask* (*create)(const TaskContext&);
};

const TaskKind kTaskKinds[] = {
    {TaskBuild::kType, true, &createProjectTask<TaskBuild>},
    {TaskCopyProjectFiles::kType, true, &createProjectTask<TaskCopyProjectFiles>},
    {TaskMacrodef::kType, false, &createMacroCall},
    {TaskSetProjectVersion::kType, true, &createProjectTask<TaskSetProjectVersion>},
    {TaskExit::kType, false, &createPlain<TaskExit>},
    {TaskForeach::kType, false, &createForeach},
    {TaskForeachBreak::kType, false, &createPlain<TaskForeachBreak>},
    {TaskForeachContinue::kType, false, &createPlain<TaskForeachContinue>},
    {TaskExec::kType, false, &createPlain<TaskExec>},
    {TaskSystem::kType, false, &createPlain<TaskSystem>},
    {TaskLoadProperties::kType, false, &createPlain<TaskLoadProperties>},
    {TaskVersionFileRead::kType, false, &createPlain<TaskVersionFileRead>},
    {TaskVersionFileWrite::kType, false, &createPlain<TaskVersionFileWrite>},
    {TaskMkdir::kType, false, &createPlain<TaskMkdir>},
    {TaskSetCurrDir::kType, false, &createPlain<TaskSetCurrDir>},
    {TaskRename::kType, false, &createPlain<TaskRename>},
    {TaskCopyFiles::kType, false, &createPlain<TaskCopyFiles>},
    {TaskMove::kType, false, &createPlain<TaskMove>},
    {TaskDelete::kType, false, &createPlain<TaskDelete>},
    {TaskWriteFile::kType, false, &createPlain<TaskWriteFile>},
    {TaskFindInFile::kType, false, &createPlain<TaskFindInFile>},
    {TaskEcho::kType, false, &createPlain<TaskEcho>},
    {TaskSound::kType, false, &createPlain<TaskSound>},
    {TaskPrintTasks::kType, false, &createPlain<TaskPrintTasks>},
    {TaskPrintVars::kType, false, &createPlain<TaskPrintVars>},
    {TaskPrintProjects::kType, true, &createProjectTask<TaskPrintProjects>},
    {TaskMessagebox::kType, false, &createPlain<TaskMessagebox>},
    {TaskQuestion::kType, false, &createPlain<TaskQuestion>},
    {TaskSetvar::kType, false, &createPlain<TaskSetvar>},
    {TaskExpandSysVar::kType, false, &createPlain<TaskExpandSysVar>},
    {TaskGetSysVar::kType, false, &createPlain<TaskGetSysVar>},
    {TaskSetSysVar::kType, false, &createPlain<TaskSetSysVar>},
};

const TaskKind* findKind(unsigned int typeId) {
  for (const TaskKind& kind : kTaskKinds)
    if (kind.typeId == typeId) return &kind;
  return nullptr;
}

}  // namespace

int TaskFactoryImpl::createTask(ITask* parent, unsigned int typeId, const QString& elementName,
                                IPropertiesGetter* attributes, IProjectsProvider* projects,
                                IMacrodefProvider* macrodefs, ITaskProjectPreprocessor* preprocessor, ITask** out) {
  if (!attributes || !out) return task_codes::kNullArgument;
  const TaskKind* kind = findKind(typeId);
  if (!kind) return task_codes::kUnknownTaskType;
  if (kind->needsProjects && !projects) return task_codes::kNullArgument;
  IMacrodef* macrodef = nullptr;
  if (typeId == TaskMacrodef::kType) {
    if (!macrodefs) return task_codes::kNoMacrodefProvider;
    macrodef = macrodefs->find(elementName);
    if (!macrodef) return task_codes::kNoMacrodef;
  }
  const std::uint64_t id = idProvider_ ? static_cast<std::uint64_t>(idProvider_->nextId()) : 0;
  ITask* task = kind->create({id, elementName, parent, macrodef, projects, preprocessor});
  applyCommonAttributes(attributes, task);
  *out = task;
  return 0;
}

void TaskFactoryImpl::applyCommonAttributes(IPropertiesGetter* attributes, ITask* task) {
  if (!attributes || !task) return;
  struct Common {
    QString key;  // built once: a lookup by a QLatin1String would build it for every task
    void (ITask::*set)(const QString&);
  };
  static const Common kCommon[] = {
      {task_texts::kComment, &ITask::setComment},     {task_texts::kCondition, &ITask::setCondition},
      {task_texts::kDepends, &ITask::setDepends},     {task_texts::kFailOnError, &ITask::setFailOnError},
      {task_texts::kResultVar, &ITask::setResultVar},
  };
  static const QString kProjectName = task_texts::kProjectName;
  for (const Common& c : kCommon) {
    QString value;
    if (attributes->getString(c.key, value) == 0) (task->*c.set)(value.trimmed());
  }
  IPropertiesSetter* props = task->getPropertiesSetter();
  (void)props->copyFrom(attributes, true);  // best-effort
  QString projectName;
  if (attributes->getString(kProjectName, projectName) == 0) {
    (void)props->remove(kProjectName);                  // best-effort
    (void)props->setString(kProjectName, projectName);  // best-effort
  }
}
