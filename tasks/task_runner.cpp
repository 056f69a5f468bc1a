#include "tasks/task_runner.h"

#include "core/config_keys.h"
#include "core/logger.h"
#include "core/properties_mgr.h"
#include "core/result_codes.h"
#include "core/text_limit.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "core/variables_expander.h"
#include "project/iprojects_provider.h"
#include "tasks/result_codes.h"
#include "tasks/running_tasks.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_common.h"
#include "tasks/task_texts.h"

namespace {

const char* yesNo(bool value) { return value ? "yes" : "no"; }

// The project names of one project task, as the runner reports them.
struct ProjectNames {
  QString original;  // "projectName", trimmed
  QString project;   // the same, expanded and trimmed
  QString current;   // "currentProjectName", trimmed
};

ProjectNames projectNamesOf(ITask* task, IVariablesExpander* expander) {
  ProjectNames names;
  names.original = propertyText(task->getProperties(), task_texts::kProjectName).trimmed();
  names.project = expandedTrimmed(expander, names.original);
  names.current = propertyText(task->getProperties(), task_texts::kCurrentProjectName).trimmed();
  return names;
}

// Kept out of line: startTask recurses once per level of the tree and of macro calls.
[[nodiscard]] Q_NEVER_INLINE int prepareProjectTask(const QString& logTag, ITask* task, const ProjectNames& names,
                                                    ITaskProjectPreprocessor* preprocessor) {
  const QString name = task->getName();
  const std::uint64_t id = task->getId();
  if (names.project.isEmpty()) {
    VLOG_ERROR(logTag) << "Project name is not defined! Original project name: '" << names.original
                       << "'. Current project name: '" << names.current << "'. Task name: '" << name
                       << "'. Task ID: " << id << ". ";
    return task_codes::kNoProjectName;
  }
  if (task->isPrepared() && names.project.compare(names.current, Qt::CaseInsensitive) == 0) return 0;
  VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, logTag)
      << "Try to prepare the project task. Project name: '" << names.project << "'. Original project name: '"
      << names.original << "'. Current project name: '" << names.current << "'. Task name: '" << name
      << "'. Task ID: " << id << ". ";
  if (!preprocessor) {
    VLOG_WARNING(logTag) << "'Task Project Preprocessor' is not defined! Project name: '" << names.project
                         << "'. Task name: '" << name << "'. Task ID: " << id << ". ";
    return 0;
  }
  const int code = preprocessor->prepareProjectTask(names.project, task);
  if (code != 0) {
    VLOG_ERROR(logTag) << "Failed to prepare project task. Error: " << code << ". Project name: '"
                       << names.project << "'. Original project name: '" << names.original
                       << "'. Current project name: '" << names.current << "'. Task name: '" << name
                       << "'. Task ID: " << id << ". ";
    return code;
  }
  VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, logTag)
      << "Project task was prepared to process. Project name: '" << names.project << "'. Task name: '" << name
      << "'. Task ID: " << id << ". ";
  return 0;
}

Q_NEVER_INLINE void logTaskDetails(const QString& logTag, ITask* task, IVariablesExpander* expander,
                                   IVariablesGetter* getter) {
  // Built in one buffer, without a temporary per piece: at the default level every task
  // writes this block.
  QString text;
  text.reserve(1024);
  text += QLatin1String("Try to start task:");
  auto line = [&](const char* label) -> QString& {
    text += QLatin1String("\r\n    ");
    text += QLatin1String(label);
    return text;
  };
  auto quoted = [&](const char* label, const QString& value) {
    line(label) += QLatin1Char('\'');
    text += value;
    text += QLatin1Char('\'');
  };
  auto digit = [](bool value) { return QLatin1Char(value ? '1' : '0'); };

  const bool projectTask = task->isProjectTask();
  line("ID: ") += QString::number(task->getId());
  quoted("Name: ", task->getName());
  quoted("Comment: ", expandedTrimmed(expander, task->getComment()));
  quoted("Condition: ", expandedTrimmed(expander, task->getCondition()));
  quoted("Result variable: ", expandedTrimmed(expander, task->getResultVar()));
  line("Fail on error: ") += expandedTrimmed(expander, task->getFailOnError());
  line("Is project task: ") += QLatin1String(yesNo(projectTask));
  if (projectTask) {
    const ProjectNames names = projectNamesOf(task, expander);
    quoted("Project name: ", names.project);
    quoted("Original project name: ", names.original);
    quoted("Current project name: ", names.current);
    line("Attached to a project: ") += boolText(task->isAttachedToProject());
    line("Is depends from other projects: ") += boolText(task->isDependsFromOtherProjects(expander, getter));
    quoted("Output directory: ", getTaskOutput(task, expander));
    quoted("Prefer output subdirectory: ", getPreferOutSubDir(task, names.project, expander, getter));
    line("Is set prefer output subdirectory recursively: ")
        += digit(isPreferOutSubDirRecursively(task, names.project, expander, getter));
    line("Is prepared: ") += digit(task->isPrepared());
  }
  line("Is container: ") += QLatin1String(yesNo(task->isContainer()));
  if (const int n = task->getChildCount()) line("Number of child tasks: ") += QString::number(n);
  if (IPropertiesGetter* props = task->getProperties(); props && props->count() > 0) {
    line("Properties: ");
    for (int i = 0; i < props->count(); ++i) {
      QString name;
      QString value;
      std::uint32_t type = 0;
      if (props->getPropertyByIndex(i, name, type) != 0 || props->getString(name, value) != 0) continue;
      text += QLatin1String("\r\n        ");
      text += name;
      text += QLatin1String("='");
      text += value;
      text += QLatin1Char('\'');
    }
  }
  if (ITask* parent = task->getParent()) {
    quoted("Parent task name: ", parent->getName());
    line("Parent task ID: ") += QString::number(parent->getId());
  }
  quoted("File: ", task->getFile());
  text += QLatin1String("\r\n");
  VLOG_INFO(logTag) << text;
}

}  // namespace

int startTask(const QString& logTag, ITask* task, IVariablesExpander* expander, IVariablesGetter* getter,
              IVariablesSetter* setter, IConditionHandler* handler, INotifications* notifications,
              ITaskProjectPreprocessor* preprocessor) {
  if (!task) return task_codes::kNullArgument;
  // Entered before the check below: a stop either finds it running, or came before and
  // interrupts it as it enters. A stopped run starts nothing more.
  const RunningTaskScope running(task);
  if (task->isInterrupted()) return core_codes::kInterrupted;
  if (isInterruptTasks(getter)) return 0;

  static thread_local int nesting = 0;
  if (nesting >= kMaxTaskNesting) {
    VLOG_ERROR(logTag) << "Tasks are nested too deeply (limit " << kMaxTaskNesting << "). Task name: '"
                       << task->getName() << "'. Task ID: " << task->getId();
    return kTasksNestedTooDeeply;
  }
  struct NestingGuard {
    NestingGuard() { ++nesting; }
    ~NestingGuard() { --nesting; }
  } guard;

  // A text refused for its length was left unexpanded: the task must not pass for done.
  // The scope hides the children's refusals, for which the children answer themselves.
  const TextLimitScope ownTexts;
  const auto failTooLong = [&] {
    VLOG_ERROR(logTag) << "A text of the task would be longer than " << kMaxTextLength
                       << " characters. Error: " << core_codes::kTextTooLong << ". Task name: '" << task->getName()
                       << "'. Task ID: " << task->getId();
    return core_codes::kTextTooLong;
  };

  if (task->isProjectTask() && task->isAttachedToProject()) {
    const int code = prepareProjectTask(logTag, task, projectNamesOf(task, expander), preprocessor);
    if (code != 0) return code;
  }

  // The expanded common texts serve the details block only: skip them when it is off.
  if (logger::LogManager::enabledFor(logger::LogInfo, logger::FilterTaskDetails))
    logTaskDetails(logTag, task, expander, getter);

  if (handler) {
    bool result = true;
    const int code = task->checkCondition(expander, handler, result);
    if (code != 0) return code;
    if (ownTexts.hit()) return failTooLong();
    if (!result) return 0;
  }

  int lastCode = task->preStart(expander, getter, setter, handler, notifications);
  if (lastCode == 0 && ownTexts.hit()) return failTooLong();
  if (lastCode != 0) {
    VLOG_ERROR(logTag) << "Failed to 'preStart' task. Error: " << lastCode << ". Task ID: " << task->getId();
    if (isInterruptTasksOnError(getter)) return lastCode;
  }

  if (!task->isContainer()) {
    for (int index = 0; index < task->getChildCount(); ++index) {
      if (isInterruptTasks(getter)) break;
      ITask* child = nullptr;
      lastCode = task->getChild(index, &child);
      if (lastCode != 0) {
        VLOG_ERROR(logTag) << "Failed to get child task object by index. Error: " << lastCode
                           << ". Index: " << index << ". Task ID: " << task->getId();
        break;
      }
      lastCode = startTask(logTag, child, expander, getter, setter, handler, notifications, preprocessor);
      if (lastCode != 0) {
        VLOG_ERROR(logTag) << "Failed to start child task! Error: " << lastCode << ". Child task name: '"
                           << child->getName() << "'. Child task ID: " << child->getId()
                           << ". Task ID: " << task->getId();
        if (isInterruptTasksOnError(getter)) break;
      }
    }
  }

  if (isInterruptTasks(getter)) {
    VLOG_WARNING(logTag) << "Processing of tasks was interrupted! Task name: '" << task->getName()
                         << "'. Task ID: " << task->getId() << ". ";
    return lastCode;
  }
  if (lastCode != 0) {
    const bool stopOnError = isInterruptTasksOnError(getter);
    VLOG_ERROR(logTag) << "Failed to process child tasks! Error: " << lastCode
                       << ". Stop tasks on error: " << (stopOnError ? 1 : 0) << ". Task name: '"
                       << task->getName() << "'. Task ID: " << task->getId() << ". ";
    if (stopOnError) return lastCode;
  }
  const int code = task->start(expander, getter, setter, handler, notifications);
  return code == 0 && ownTexts.hit() ? failTooLong() : code;
}

namespace {

// The name a project task stands for below its root: the one it was last prepared for,
// else the one it was given.
QString standingProjectName(ITask* task) {
  QString name = getTaskCurrentProjectName(task);
  return name.isEmpty() ? getTaskRawProjectName(task) : name;
}

}  // namespace

bool hasProjectTask(ITask* task, const QString& projectName) {
  if (!task) return false;
  const int count = task->getChildCount();
  for (int i = 0; i < count; ++i) {
    ITask* child = nullptr;
    if (task->getChild(i, &child) != 0 || !child->isProjectTask()) continue;
    if (standingProjectName(child).compare(projectName, Qt::CaseInsensitive) == 0) return true;
  }
  for (int i = 0; i < count; ++i) {
    ITask* child = nullptr;
    if (task->getChild(i, &child) == 0 && hasProjectTask(child, projectName)) return true;
  }
  return false;
}

void collectProjectTaskNames(ITask* task, std::set<QString, CaseBlindLess>& out) {
  if (!task) return;
  const int count = task->getChildCount();
  for (int i = 0; i < count; ++i) {
    ITask* child = nullptr;
    if (task->getChild(i, &child) != 0) continue;
    if (child->isProjectTask()) out.insert(standingProjectName(child));
    collectProjectTaskNames(child, out);
  }
}

ITask* getRootTask(ITask* task) {
  while (task && task->getParent()) task = task->getParent();
  return task;
}

void setPreparedRecursively(ITask* task, bool prepared) {
  if (!task) return;
  task->setPrepared(prepared);
  for (int i = 0; i < task->getChildCount(); ++i) {
    ITask* child = nullptr;
    if (task->getChild(i, &child) == 0) setPreparedRecursively(child, prepared);
  }
}

IProject* getProjectByName(IProjectsProvider* provider, const QString& name) {
  return provider ? provider->getProject(name) : nullptr;
}

QString getTaskProjectName(ITask* task, IVariablesExpander* expander) {
  if (!task || !task->isProjectTask()) return QString();
  return expandedTrimmed(expander, propertyText(task->getProperties(), task_texts::kProjectName));
}

QString getTaskCurrentProjectName(ITask* task) {
  if (!task || !task->isProjectTask()) return QString();
  return propertyText(task->getProperties(), task_texts::kCurrentProjectName).trimmed();
}

QString getTaskRawProjectName(ITask* task) {
  if (!task || !task->isProjectTask()) return QString();
  return propertyText(task->getProperties(), task_texts::kProjectName).trimmed();
}

QString getTaskOutput(ITask* task, IVariablesExpander* expander) {
  if (!task) return QString();
  return expandedTrimmed(expander, propertyText(task->getProperties(), task_texts::kOutput));
}

QString getPreferOutSubDir(ITask* task, const QString& projectName, IVariablesExpander* expander,
                           IVariablesGetter* getter) {
  if (!task || !getter || projectName.isEmpty()) return QString();
  QString variable = preferOutSubdirKey(projectName);
  expandVariables(expander, variable);
  QString value;
  if (getter->get(variable, value) == 0) {
    VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, task->getName())
        << "Output subdirectory was found using variables. Variable: '" << variable << "'. Subdirectory: '"
        << value << "'. Task ID: " << task->getId();
    return value;
  }
  IPropertiesGetter* props = task->getProperties();
  if (!props || props->getString(task_texts::kPreferOutSubDir, value) != 0) return QString();
  VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, task->getName())
      << "Output subdirectory was found using task properties. Property name: 'preferOutSubDir'. Subdirectory: '"
      << value << "'. Task ID: " << task->getId();
  return value;
}

bool isPreferOutSubDirRecursively(ITask* task, const QString& projectName, IVariablesExpander* expander,
                                  IVariablesGetter* getter) {
  if (!task) return true;
  if (!expander || !getter) return false;
  if (projectName.isEmpty()) return true;
  QString variable = projectName + QLatin1String(".prefer.out.subdir.recursively");
  expandVariables(expander, variable);
  QString value;
  if (getter->get(variable, value) != 0) return false;
  value = value.trimmed();
  VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, task->getName())
      << "Variable 'set output subdirectory recursively' was found. Variable: '" << variable
      << "'. Recursively: '" << value << "'. Task ID: " << task->getId();
  return isTrue(value);
}

QString getFileSetOutSubDir(ITask* task, const QString& projectName, IVariablesExpander* expander,
                            IVariablesGetter* getter, const QString& fileSetId) {
  if (!task || !getter || projectName.isEmpty()) return QString();
  QString variable = filesetPreferOutSubdirKey(projectName, fileSetId);
  expandVariables(expander, variable);
  QString value;
  if (getter->get(variable, value) != 0) return QString();
  VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, task->getName())
      << "Output subdirectory for file set was found using variables. File set ID: '" << fileSetId
      << "'. Variable: '" << variable << "'. Subdirectory: '" << value << "'. Task ID: " << task->getId();
  return value;
}

namespace {

// Whether a dependence on the child holds: it does unless its condition evaluates to false.
bool dependenceHolds(ITask* child, const QString& rawCondition, IVariablesExpander* expander,
                     IConditionHandler* handler) {
  if (!handler || rawCondition.isEmpty()) return true;
  const QString condition = expandedTrimmed(expander, rawCondition);
  if (condition.isEmpty()) return true;
  bool result = true;
  const int code = handler->evaluateCondition(condition, result);
  const QString tail = QLatin1String("\n    Condition template: '") + rawCondition +
                       QLatin1String("'.\n    Condition: '") + condition + QLatin1String("'. \n    Task ID: ");
  if (code != 0) {
    VLOG_ERROR(child->getName()) << "Failed to calculate the condition for the dependence.\n    Error: " << code
                                 << "." << tail << child->getId();
    return true;
  }
  VLOG_CAT(logger::LogInfo, logger::FilterTaskDetails, child->getName())
      << (result ? "Condition was calculated successfully. Condition is true. "
                 : "Condition was calculated successfully. Condition is false.")
      << tail << child->getId();
  return result;
}

}  // namespace

bool updateDependentOutputSubDirs(ITask* task, const QString& projectName, IProjectsProvider* provider,
                                  IVariablesExpander* expander, IConditionHandler* handler,
                                  const QString& subdir) {
  if (!task || projectName.isEmpty() || !provider || !expander || !task->isProjectTask() ||
      task->getChildCount() == 0)
    return false;
  IProject* project = getProjectByName(provider, projectName);
  if (!project) return false;

  bool changed = false;
  for (int i = 0; i < task->getChildCount(); ++i) {
    ITask* child = nullptr;
    if (task->getChild(i, &child) != 0) break;
    const QString childProject = getTaskProjectName(child, expander);
    if (child->isProjectTask() && !childProject.isEmpty()) {
      const int entries = project->getChildProjectCount();
      for (int e = 0; e < entries; ++e) {
        ChildProject entry;
        if (project->getChildProjectAt(e, entry) != 0) continue;
        if (entry.name.compare(childProject, Qt::CaseInsensitive) != 0) continue;
        if (!dependenceHolds(child, entry.condition, expander, handler)) continue;
        IPropertiesSetter* props = child->getPropertiesSetter();
        if (props && props->setString(task_texts::kPreferOutSubDir, subdir) == 0) {
          changed = true;
          VLOG_CAT(logger::LogTrace, logger::FilterTaskDetails, child->getName())
              << "Output subdirectory was changed. Output subdirectory: '" << subdir << "'. Project name: '"
              << entry.name << "'. Task name: '" << child->getName() << "'. Task ID: " << child->getId();
        }
      }
    }
    if (child->getChildCount() > 0 &&
        updateDependentOutputSubDirs(child, childProject, provider, expander, handler, subdir))
      changed = true;
  }
  return changed;
}
