#include "tasks/task_project.h"

#include "tasks/task_runner.h"

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
