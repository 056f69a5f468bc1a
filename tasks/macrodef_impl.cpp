#include "tasks/macrodef_impl.h"

#include "tasks/result_codes.h"
#include "tasks/task.h"

#include <QMutexLocker>

bool MacrodefImpl::getFlag() const {
  QMutexLocker lock(&flagMutex_);
  return flag_;
}

void MacrodefImpl::setFlag(bool flag) {
  QMutexLocker lock(&flagMutex_);
  flag_ = flag;
}

int MacrodefImpl::getAttributeCount() const {
  QMutexLocker lock(&attributesMutex_);
  return attributes_.size();
}

int MacrodefImpl::getAttribute(int index, QString& name) const {
  QMutexLocker lock(&attributesMutex_);
  if (index < 0 || index >= attributes_.size()) return task_codes::kIndexOutOfRange;
  name = attributes_.at(index);
  return 0;
}

int MacrodefImpl::addAttribute(const QString& name) {
  QMutexLocker lock(&attributesMutex_);
  if (!attributes_.contains(name, Qt::CaseInsensitive)) attributes_.append(name);
  return 0;
}

int MacrodefImpl::getTaskCount() const {
  QMutexLocker lock(&tasksMutex_);
  return static_cast<int>(tasks_.size());
}

int MacrodefImpl::getTask(int index, ITask** out) const {
  if (!out) return task_codes::kNullArgument;
  QMutexLocker lock(&tasksMutex_);
  if (index < 0 || index >= static_cast<int>(tasks_.size())) return task_codes::kIndexOutOfRange;
  *out = tasks_[static_cast<size_t>(index)].get();
  return 0;
}

int MacrodefImpl::addTask(ITask* task) {
  if (!task) return task_codes::kNullArgument;
  std::shared_ptr<ITask> owner = shareTask(task);
  QMutexLocker lock(&tasksMutex_);
  tasks_.push_back(std::move(owner));
  return 0;
}
