#include "manager/build_manager.h"

#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "manager/result_codes.h"
#include "tasks/task_types.h"
#include "tasks/task_runner.h"
#include "tasks/task_texts.h"

#include <QMutexLocker>

using namespace manager_codes;

namespace {

const QLatin1String kMsbuildPathVar("win.msbuild.path");

// The options of a -build group that every project task reads; a group that lacks one
// gives its task the empty text, never a getter's failure.
const QLatin1String kGroupTexts[] = {task_texts::kConfiguration, task_texts::kTarget, task_texts::kPlatform};

unsigned int taskTypeFor(IProject* project) {
  return project->getType() == ProjectTypeFiles ? task_types::kCopyProjectFiles : task_types::kBuild;
}

QString taskFields(const char* prefix, ITask* task) {
  return QLatin1String(prefix) + QLatin1String("name: '") + task->getName() + QLatin1String("'. ") +
         QLatin1String(prefix) + QLatin1String("ID: ") + QString::number(task->getId()) + QLatin1String(". ");
}

// Parent, project and child, as the lines about an added child task give them.
QString childTaskFields(ITask* parent, const QString& projectName, ITask* child) {
  return taskFields("Parent task ", parent) + QLatin1String("Project name: '") + projectName +
         QLatin1String("'. ") + taskFields("Task ", child);
}

// The build tasks below task, down through build tasks only, take the environment;
// text is how the trace shows it, built once for the whole tree.
void passEnvironmentDown(ITask* task, const TaskEnvironment& environment, const QString& text) {
  const int count = task->getChildCount();
  for (int index = 0; index < count; ++index) {
    ITask* child = nullptr;
    if (task->getChild(index, &child) != kOk) continue;
    auto* build = dynamic_cast<TaskProject*>(child);
    if (!build || child->getType() != static_cast<int>(task_types::kBuild)) continue;
    build->setEnvironment(environment);
    VLOG_CAT(logger::LogTrace, logger::FilterTaskManager, BuildManager::kLogTag)
        << "[addEnvironmentVariablesToChildTasks] Environment variables have been updated. "
        << taskFields("Parent task ", task) << "Task name: '" << child->getName() << "'. Task ID: " << child->getId()
        << "'. Variables: " << text << ". ";
    passEnvironmentDown(child, environment, text);
  }
}

}  // namespace

int BuildManager::prepareCmdTasks() {
  for (CmdTaskEntry& group : cmdTasks()) {
    PropertiesMgrUnsafe& attributes = group.properties;
    for (QLatin1String key : kGroupTexts)
      if (!attributes.contains(key)) (void)attributes.setString(key, QString());  // infallible
    std::vector<QString> names;
    (void)attributes.getStringList(CmdTaskEntry::kProjectNames, names);  // a group without names has no list
    for (const QString& name : names) {
      if (name.isEmpty()) continue;
      IProject* project = getProject(name);
      if (!project) {
        VLOG_ERROR(kLogTag) << "[PrepareCmdTasks] Project with name '" << name << "' not found";
        return kProjectNotFound;
      }
      ITask* created = nullptr;
      if (taskFactory_.createTask(nullptr, taskTypeFor(project), name, &attributes, this, this, this, &created) !=
          kOk) {
        VLOG_ERROR(kLogTag) << "[PrepareCmdTasks] Failed to create the 'project task'. Project name: '" << name
                            << "'. Error: " << kCannotCreateProjectTask;
        return kCannotCreateProjectTask;
      }
      std::shared_ptr<ITask> task(created);
      task->setId(static_cast<std::uint64_t>(taskIds_.nextId()));
      (void)setProjectTaskVariables(project, task.get(), true);  // both are there
      task->setPrepared(false);
      QMutexLocker lock(&rootTasksMutex_);
      rootTasks_.push_back(std::move(task));
    }
  }
  return kOk;
}

int BuildManager::setProjectTaskVariables(IProject* project, ITask* task, bool setProjectName) {
  if (!project || !task) return kNullTask;
  auto* projectTask = dynamic_cast<TaskProject*>(task);
  if (!projectTask) return kOk;
  IPropertiesSetter* properties = task->getPropertiesSetter();
  const QString name = project->getName();
  QString msbuildPath;
  if (globalVariables_.get(kMsbuildPathVar, msbuildPath) != kOk) msbuildPath.clear();
  // A task's own store takes every text.
  if (setProjectName) (void)properties->setString(task_texts::kProjectName, name);  // infallible
  (void)properties->setString(task_texts::kCurrentProjectName, name);                // infallible
  (void)properties->setString(task_texts::kProjectFile, project->getProjectFile());  // infallible
  (void)properties->setString(task_texts::kRootDir, absoluteDirPath(project->getDefFile()));  // infallible
  (void)properties->setString(task_texts::kMsbuildPath, msbuildPath);                // infallible
  projectTask->setFileSets(project->getOutputs());
  return kOk;
}

int BuildManager::prepareProjectTask(const QString& projectName, ITask* task) {
  if (!task || !task->isProjectTask() || !task->isAttachedToProject()) return kOk;
  const bool dependent = task->isDependsFromOtherProjects(projectsExpander(), &projectVariables_);
  VLOG_CAT(logger::LogTrace, logger::FilterTaskManager, kLogTag)
      << "[PrepareProjectTask] Try to prepare the project task. Project name: '" << projectName << "'. Task name: '"
      << task->getName() << "'. Depends from other projects: " << boolText(dependent) << ". Task ID: "
      << task->getId();
  IProject* project = getProject(projectName);
  if (!project) {
    VLOG_ERROR(kLogTag) << "[PrepareProjectTask] Project with name '" << projectName << "' is not found. Task name: '"
                        << task->getName() << "'. Task ID: " << task->getId();
    return kProjectNotFound;
  }
  (void)task->clearChildren();                             // infallible
  (void)setProjectTaskVariables(project, task, false);  // both are there

  int result = kOk;
  if (dependent) {
    // The children take the task's attributes, but the file sets they copy are their own.
    PropertiesMgrUnsafe withoutIds;
    IPropertiesGetter* childProperties = task->getProperties();
    if (childProperties->contains(task_texts::kFileSetIds)) {
      (void)withoutIds.copyFrom(childProperties, true);   // plain copy
      (void)withoutIds.remove(task_texts::kFileSetIds);  // it is there
      childProperties = &withoutIds;
    }
    ProjectTaskNames namesBelowRoot;
    collectProjectTaskNames(getRootTask(task), namesBelowRoot);
    const int count = project->getChildProjectCount();
    for (int index = 0; index < count; ++index) {
      ChildProject dependence;
      if (project->getChildProjectAt(index, dependence) != kOk) {
        VLOG_ERROR(kLogTag) << "[PrepareProjectTask] Failed to get child project. Index: " << index << ". Project: '"
                            << projectName << "'. Parent task name: '" << task->getName()
                            << "', ID: " << task->getId();
        result = kCannotReadDependence;
        break;
      }
      if (!calculateDependenceCondition(projectName, dependence)) continue;
      result = addChildProjectTask(task, childProperties, dependence, namesBelowRoot, 1);
      if (result != kOk) break;
    }
  }
  if (auto* projectTask = dynamic_cast<TaskProject*>(task)) {
    TaskEnvironment environment;
    projectTask->getEnvironment(environment);
    if (!environment.isEmpty()) (void)addEnvironmentVariablesToChildTasks(task, environment);  // task is there
  }
  setPreparedRecursively(task, true);
  return result;
}

bool BuildManager::calculateDependenceCondition(const QString& projectName, const ChildProject& dependence) {
  if (dependence.name.isEmpty() || dependence.condition.isEmpty()) return true;
  QString condition = dependence.condition;
  tasksExpander()->expand(condition);
  condition = condition.trimmed();
  if (condition.isEmpty()) return true;
  const QString details = indentUnit() + QLatin1String("Condition template: '") + dependence.condition +
                          QLatin1String("'.\n") + indentUnit() + QLatin1String("Condition: '") + condition +
                          QLatin1String("'.\n") + indentUnit() + QLatin1String("Project: ") + projectName;
  bool applies = true;
  const int code = evaluateCondition(condition, applies);
  if (code != kOk) {
    // A dependence that cannot be judged is taken rather than silently dropped.
    VLOG_ERROR(kLogTag) << "Failed to calculate the condition for the dependence.\n"
                        << indentUnit() << "Error: " << code << ".\n"
                        << details;
    return true;
  }
  VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kLogTag)
      << (applies ? "Condition was calculated successfully. Condition is true. \n"
                  : "Condition was calculated successfully. Condition is false.\n")
      << details;
  return applies;
}

int BuildManager::addChildProjectTask(ITask* parent, IPropertiesGetter* properties, const ChildProject& dependence) {
  if (!parent) return kNullTask;
  ProjectTaskNames namesBelowRoot;
  collectProjectTaskNames(getRootTask(parent), namesBelowRoot);
  return addChildProjectTask(parent, properties, dependence, namesBelowRoot, 1);
}

int BuildManager::addChildProjectTask(ITask* parent, IPropertiesGetter* properties, const ChildProject& dependence,
                                      ProjectTaskNames& namesBelowRoot, int depth) {
  if (!parent) return kNullTask;
  const QString& name = dependence.name;
  IProject* project = getProject(name);
  if (!project) {
    VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Project for task not found. Project name: '" << name << "'";
    return kProjectNotFound;
  }
  // A project stands at most once below a root task: that ends dependence cycles.
  if (namesBelowRoot.count(name)) {
    VLOG_WARNING(kLogTag) << "[AddChildProjectTask] Child task with name '" << name << "' already exists!";
    return kOk;
  }
  const int type = project->getType();
  if (type != ProjectTypeBuild && type != ProjectTypeFiles) {
    VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Invalid project type. Project name: '" << name
                        << "'. Project type: " << type;
    return kInvalidProjectType;
  }
  if (depth > kMaxTaskNesting) {
    VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Dependences are nested too deeply (limit " << kMaxTaskNesting
                        << "). Project name: '" << name << "'";
    return manager_codes::kTasksNestedTooDeeply;
  }
  ITask* created = nullptr;
  const int code = taskFactory_.createTask(parent, static_cast<unsigned int>(type), name, properties, this, this,
                                           this, &created);
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Failed to create the 'project task'. Project name: '" << name
                        << "'. Error: " << code;
    return kCannotCreateProjectTask;
  }
  std::unique_ptr<ITask> child(created);
  (void)setProjectTaskVariables(project, child.get(), true);  // both are there
  const int added = parent->addChild(child.get());
  if (added != kOk) {
    VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Failed to add the child 'project task'. "
                        << childTaskFields(parent, name, child.get()) << "Error: " << added;
    return kCannotAddChildTask;
  }
  ITask* task = child.release();  // the parent owns it now
  namesBelowRoot.insert(project->getName());
  VLOG_CAT(logger::LogTrace, logger::FilterTaskManager, kLogTag)
      << "[AddChildProjectTask] A child 'project task' was added. " << childTaskFields(parent, name, task);

  // Below a dependence that was taken, its own dependences all come along.
  const int count = project->getChildProjectCount();
  for (int index = 0; index < count; ++index) {
    ChildProject nested;
    if (project->getChildProjectAt(index, nested) != kOk) {
      VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Failed to get child project. Index: " << index << ". Project: '"
                          << name << "'";
      return kCannotReadDependence;
    }
    const int rc = addChildProjectTask(task, properties, nested, namesBelowRoot, depth + 1);
    if (rc != kOk) {
      VLOG_ERROR(kLogTag) << "[AddChildProjectTask] Failed to add task into collection. Task index: " << index
                          << ". Project: '" << name << "'. Res: " << rc;
      return rc;
    }
  }
  return kOk;
}

int BuildManager::addEnvironmentVariablesToChildTasks(ITask* task, const TaskEnvironment& environment) {
  if (!task) return kNullTask;
  if (environment.isEmpty()) return kOk;
  QStringList pairs;
  for (auto it = environment.cbegin(); it != environment.cend(); ++it) pairs << it.key() + QLatin1Char('=') + it.value();
  passEnvironmentDown(task, environment, pairs.join(QLatin1Char(';')));
  return kOk;
}
