#include "tasks/task_project.h"

#include "core/logger.h"
#include "core/path_utils.h"
#include "tasks/task_runner.h"

#include <QDir>

#include <QMutexLocker>
#include <QStringList>

void TaskProject::setFileSets(const std::vector<FileSetInfo>& fileSets) {
  QMutexLocker lock(&fileSetsMutex_);
  if (&fileSets != &fileSets_) fileSets_ = fileSets;
}

std::vector<FileSetInfo> TaskProject::getFileSets() const {
  QMutexLocker lock(&fileSetsMutex_);
  return fileSets_;
}

void TaskProject::setEnvironment(const TaskEnvironment& environment) {
  if (&environment != &environment_) environment_ = environment;
}

void TaskProject::getEnvironment(TaskEnvironment& out) const { out = environment_; }

IProject* TaskProject::getProject(const QString& name) const { return getProjectByName(projects_, name); }

QString TaskProject::getProjectName(IVariablesExpander* expander) { return getTaskProjectName(this, expander); }

QString TaskProject::getOutput(IVariablesExpander* expander) { return getTaskOutput(this, expander); }

QString TaskProject::getAbsoluteOutput(IVariablesExpander* expander) {
  const QString output = getOutput(expander);
  return output.isEmpty() ? output : makeAbsolutePath(QDir::currentPath(), output);
}

QString TaskProject::getOutSubdir(const QString& projectName, IVariablesExpander* expander,
                                  IVariablesGetter* getter) {
  return getPreferOutSubDir(this, projectName, expander, getter);
}

bool TaskProject::isOutSubdirRecursive(const QString& projectName, IVariablesExpander* expander,
                                       IVariablesGetter* getter) {
  return isPreferOutSubDirRecursively(this, projectName, expander, getter);
}

QString TaskProject::getFileSetOutSubdir(const QString& projectName, IVariablesExpander* expander,
                                         IVariablesGetter* getter, const QString& fileSetId) {
  return getFileSetOutSubDir(this, projectName, expander, getter, fileSetId);
}

QString TaskProject::getParentProjectNames(IVariablesExpander* expander, IVariablesGetter* getter) {
  if (!projects_) return QString();
  QStringList names;
  for (ITask* t = getParent(); t; t = t->getParent()) {
    if (t->isProjectTask() && t->isDependsFromOtherProjects(expander, getter))
      names << getTaskProjectName(t, expander);
  }
  return names.join(QLatin1Char(','));
}

bool TaskProject::checkDependenceCondition(IVariablesExpander* expander, IConditionHandler* handler,
                                           const QString& subdir) {
  return updateDependentOutputSubDirs(this, getProjectName(expander), projects_, expander, handler, subdir);
}

void TaskProject::passOutSubdirToDependences(IVariablesExpander* expander, IVariablesGetter* getter,
                                             IConditionHandler* handler, std::uint64_t logCategory,
                                             TaskProject* dependencesHolder) {
  const QString projectName = getProjectName(expander);
  if (projectName.isEmpty()) return;
  const bool recursive = isOutSubdirRecursive(projectName, expander, getter);
  const QString subdir = getOutSubdir(projectName, expander, getter);
  VLOG_CAT(logger::LogInfo, logCategory, getName())
      << "Output subdirectories info. Project name: '" << projectName << "'. Subdirectory: '" << subdir
      << "'. Is set subdirectory recursively: " << (recursive ? 1 : 0) << ". Task ID: " << getId();
  TaskProject* holder = dependencesHolder ? dependencesHolder : this;
  if (recursive && holder->checkDependenceCondition(expander, handler, subdir)) {
    VLOG_CAT(logger::LogInfo, logCategory, getName())
        << "Output subdirectory was set for all child tasks. Project name: '" << projectName << "'. Subdirectory: '"
        << subdir << "'. Task ID: " << getId();
  }
}
