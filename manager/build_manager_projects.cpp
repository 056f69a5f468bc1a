#include "manager/build_manager.h"

#include <QMutexLocker>

#include <iterator>

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
  return std::next(projects_.begin(), index)->second.get();
}
