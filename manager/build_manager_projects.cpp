#include "manager/build_manager.h"

#include <QMutexLocker>

#include <algorithm>

void BuildManager::insertProject(const std::shared_ptr<IProject>& project, const QStringList& dependences) {
  const QString name = project->getName();
  QMutexLocker lock(&projectsMutex_);
  projects_.emplace(name, project);
  projectOrderStale_ = true;
  for (const QString& dependence : dependences) dependents_[dependence] << name;
}

QStringList BuildManager::findParentProjects(const QString& name) {
  QMutexLocker lock(&projectsMutex_);
  QStringList parents = dependents_.value(name);
  std::sort(parents.begin(), parents.end(), CaseBlindLess());
  return parents;
}

bool BuildManager::exists(const QString& name) {
  QMutexLocker lock(&projectsMutex_);
  return projects_.count(name) != 0;
}

IProject* BuildManager::getProject(const QString& name) {
  QMutexLocker lock(&projectsMutex_);
  auto it = projects_.find(name);
  return it == projects_.end() ? nullptr : it->second.get();
}

int BuildManager::count() {
  QMutexLocker lock(&projectsMutex_);
  return static_cast<int>(projects_.size());
}

IProject* BuildManager::getProjectAt(int index) {
  QMutexLocker lock(&projectsMutex_);
  if (index < 0 || index >= static_cast<int>(projects_.size())) return nullptr;
  if (projectOrderStale_) {
    projectOrder_.clear();
    projectOrder_.reserve(projects_.size());
    for (const auto& entry : projects_) projectOrder_.push_back(entry.second.get());
    projectOrderStale_ = false;
  }
  return projectOrder_[static_cast<std::size_t>(index)];
}
