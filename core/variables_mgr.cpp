#include "core/variables_mgr.h"

#include "core/logger.h"
#include "core/result_codes.h"

#include <QMutexLocker>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {
constexpr int kNotFound = core_codes::kNotFound;
}  // namespace

bool refersToItself(const QString& name, const QString& value) {
  const QString wanted = name.trimmed();
  if (wanted.isEmpty()) return false;
  int from = 0;
  for (int start; (start = value.indexOf(QLatin1String("${"), from)) >= 0;) {
    const int end = value.indexOf(QLatin1Char('}'), start + 2);
    if (end < 0) break;
    const QStringRef inner = value.midRef(start + 2, end - start - 2).trimmed();
    if (inner.compare(wanted, Qt::CaseInsensitive) == 0 && (start != 0 || end != value.size() - 1)) return true;
    from = end + 1;
  }
  return false;
}

bool VariablesMgr::exists(const QString& name) {
  QMutexLocker lock(&mutex_);
  return map_.find(name) != map_.end();
}

int VariablesMgr::count() {
  QMutexLocker lock(&mutex_);
  return static_cast<int>(map_.size());
}

VariablesMgr::Map::const_iterator VariablesMgr::atLocked(int index) {
  const int size = static_cast<int>(map_.size());
  if (index < 0 || index >= size) return map_.end();
  // Step from whichever of the start, the end and the cursor is nearest.
  Map::const_iterator it = map_.begin();
  int from = 0;
  if (size - 1 - index < index) {
    it = std::prev(map_.end());
    from = size - 1;
  }
  if (cursorIndex_ >= 0 && std::abs(index - cursorIndex_) < std::abs(index - from)) {
    it = cursor_;
    from = cursorIndex_;
  }
  std::advance(it, index - from);
  cursor_ = it;
  cursorIndex_ = index;
  return it;
}

int VariablesMgr::getAt(int index, QString& name, QString& value, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  value = it->second.value;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::getAt(int index, QString& name, QString& value) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  value = it->second.value;
  return 0;
}

int VariablesMgr::getNameAt(int index, QString& name) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  return 0;
}

int VariablesMgr::get(const QString& name, QString& value, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  value = it->second.value;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::get(const QString& name, QString& value) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  value = it->second.value;
  return 0;
}

int VariablesMgr::getFlags(const QString& name, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::setLocked(const QString& name, const QString& value, const VariableFlags* flags) {
  auto it = map_.lower_bound(name);
  const bool found = it != map_.end() && !CaseBlindLess()(name, it->first);
  if (found && it->second.flags.readOnly) return kReadOnly;

  QString replacement;
  const bool replaced = trigger_ && trigger_->onVariableSet(name, value, replacement);
  const QString& stored = replaced ? replacement : value;
  if (refuseSelfReference_ && stored.contains(QLatin1String("${")) && refersToItself(name, stored)) {
    VLOG_ERROR("Variables") << "Variable refers to itself and can never be expanded. Name: '" << name
                            << "'. Value: '" << stored.left(200) << "'";
    return kRefersToItself;
  }

  if (found) {
    it->second.value = stored;
    if (flags) it->second.flags = *flags;
  } else {
    map_.emplace_hint(it, name, Entry{flags ? *flags : VariableFlags{}, stored});
    cursorIndex_ = -1;
  }
  return 0;
}

int VariablesMgr::set(const QString& name, const QString& value, VariableFlags flags) {
  QMutexLocker lock(&mutex_);
  return setLocked(name, value, &flags);
}

int VariablesMgr::set(const QString& name, const QString& value) {
  QMutexLocker lock(&mutex_);
  return setLocked(name, value, nullptr);
}

int VariablesMgr::remove(const QString& name) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  map_.erase(it);
  cursorIndex_ = -1;
  return 0;
}

int VariablesMgr::clear() {
  QMutexLocker lock(&mutex_);
  map_.clear();
  cursorIndex_ = -1;
  return 0;
}

void VariablesMgr::setRefuseSelfReference(bool refuse) {
  QMutexLocker lock(&mutex_);
  refuseSelfReference_ = refuse;
}

void VariablesMgr::setTrigger(IVariablesSetTrigger* trigger) {
  QMutexLocker lock(&mutex_);
  trigger_ = trigger;
}

int copyVariables(VariablesMgr& destination, IVariablesGetter* source, bool overwrite) {
  if (!source) return 0;
  int result = 0;
  QString name;
  QString value;
  VariableFlags flags;
  for (int index = 0; index < source->count(); ++index) {
    if (source->getAt(index, name, value, flags) != 0) continue;
    if (overwrite || !destination.exists(name)) result = destination.set(name, value, flags);
  }
  return result;
}
