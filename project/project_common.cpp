#include "project/project_common.h"

#include "core/path_utils.h"

#include <QMutexLocker>

#include <iterator>

namespace {

template <typename T>
bool inRange(int index, const std::vector<T>& list) {
  return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

}  // namespace

ProjectCommon::ProjectCommon(qint64 id, const QString& name) : id_(id), name_(name) {}

bool ProjectCommon::isProcessed() {
  QMutexLocker locker(&processedMutex_);
  return processed_;
}

void ProjectCommon::setProcessed(bool processed) {
  QMutexLocker locker(&processedMutex_);
  processed_ = processed;
}

int ProjectCommon::getVersionFileCount() { return static_cast<int>(versionFiles_.size()); }

int ProjectCommon::getVersionFileAt(int index, VersionFileInfo& info) {
  if (!inRange(index, versionFiles_)) return kIndexOutOfRange;
  info = versionFiles_[static_cast<std::size_t>(index)];
  return 0;
}

int ProjectCommon::addVersionFile(const VersionFileInfo& info) {
  for (const VersionFileInfo& v : versionFiles_)
    if (samePath(v.file, info.file)) return kAlreadyExists;
  versionFiles_.push_back(info);
  return 0;
}

int ProjectCommon::getChildProjectCount() { return static_cast<int>(childProjects_.size()); }

int ProjectCommon::getChildProjectAt(int index, ChildProject& child) {
  if (!inRange(index, childProjects_)) return kIndexOutOfRange;
  child = childProjects_[static_cast<std::size_t>(index)];
  return 0;
}

int ProjectCommon::addChildProject(const ChildProject& child) {
  for (const ChildProject& c : childProjects_)
    if (QString::compare(c.name, child.name, Qt::CaseInsensitive) == 0) return kAlreadyExists;
  childProjects_.push_back(child);
  return 0;
}

int ProjectCommon::getParentProjectCount() { return static_cast<int>(parentProjects_.size()); }

int ProjectCommon::getParentProjectAt(int index, QString& name) {
  if (!inRange(index, parentProjects_)) return kIndexOutOfRange;
  name = parentProjects_[static_cast<std::size_t>(index)];
  return 0;
}

int ProjectCommon::addParentProject(const QString& name) {
  for (const QString& p : parentProjects_)
    if (QString::compare(p, name, Qt::CaseInsensitive) == 0) return kAlreadyExists;
  parentProjects_.push_back(name);
  return 0;
}

int ProjectCommon::getAttributeCount() {
  QMutexLocker locker(&attributesMutex_);
  return static_cast<int>(attributes_.size());
}

int ProjectCommon::getAttributeAt(int index, QString& name, QString& value) {
  QMutexLocker locker(&attributesMutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= attributes_.size()) return kIndexOutOfRange;
  auto it = std::next(attributes_.begin(), index);
  name = it->first;
  value = it->second;
  return 0;
}

int ProjectCommon::getAttributeNameAt(int index, QString& name) {
  QMutexLocker locker(&attributesMutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= attributes_.size()) return kIndexOutOfRange;
  name = std::next(attributes_.begin(), index)->first;
  return 0;
}

int ProjectCommon::getAttribute(const QString& name, QString& value) {
  QMutexLocker locker(&attributesMutex_);
  auto it = attributes_.find(name);
  if (it == attributes_.end()) return kNotFound;
  value = it->second;
  return 0;
}

bool ProjectCommon::hasAttribute(const QString& name) {
  QMutexLocker locker(&attributesMutex_);
  return attributes_.count(name) != 0;
}

void ProjectCommon::setAttributes(const ProjectAttributes& attributes) {
  if (&attributes == &attributes_) return;
  QMutexLocker locker(&attributesMutex_);
  attributes_ = attributes;
}
