#include "core/properties_mgr.h"

#include <QMutexLocker>

#include <algorithm>

namespace {

using Entry = std::pair<QString, std::shared_ptr<PropertyBase>>;

bool entryLess(const Entry& e, const QString& name) { return e.first < name; }

}  // namespace

PropertyBase* PropertiesMgrUnsafe::find(const QString& name) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name, entryLess);
  return it != entries_.end() && it->first == name ? it->second.get() : nullptr;
}

template <typename Get>
int PropertiesMgrUnsafe::get(const QString& name, Get get) {
  PropertyBase* p = find(name);
  return p ? get(*p) : kMissing;
}

template <typename Make, typename Set>
int PropertiesMgrUnsafe::set(const QString& name, Make make, Set set) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name, entryLess);
  if (it != entries_.end() && it->first == name) return set(*it->second);
  entries_.insert(it, Entry(name, make()));
  return 0;
}

int PropertiesMgrUnsafe::getString(const QString& name, QString& value) {
  return get(name, [&](PropertyBase& p) { return p.getString(value); });
}
int PropertiesMgrUnsafe::getDouble(const QString& name, double& value) {
  return get(name, [&](PropertyBase& p) { return p.getDouble(value); });
}
int PropertiesMgrUnsafe::getULongLong(const QString& name, std::uint64_t& value) {
  return get(name, [&](PropertyBase& p) { return p.getULongLong(value); });
}
int PropertiesMgrUnsafe::getULong(const QString& name, std::uint32_t& value) {
  return get(name, [&](PropertyBase& p) { return p.getULong(value); });
}
int PropertiesMgrUnsafe::getBool(const QString& name, bool& value) {
  return get(name, [&](PropertyBase& p) { return p.getBool(value); });
}
int PropertiesMgrUnsafe::getInt(const QString& name, int& value) {
  return get(name, [&](PropertyBase& p) { return p.getInt(value); });
}
int PropertiesMgrUnsafe::getPtr(const QString& name, void*& value) {
  return get(name, [&](PropertyBase& p) { return p.getPtr(value); });
}
int PropertiesMgrUnsafe::getStringList(const QString& name, std::vector<QString>& value) {
  return get(name, [&](PropertyBase& p) { return p.getStringList(value); });
}

bool PropertiesMgrUnsafe::contains(const QString& name) { return find(name) != nullptr; }

int PropertiesMgrUnsafe::count() { return static_cast<int>(entries_.size()); }

int PropertiesMgrUnsafe::getPropertyByIndex(int index, QString& name, std::uint32_t& typeId) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return kMissing;
  const Entry& e = entries_[static_cast<std::size_t>(index)];
  name = e.first;
  typeId = e.second->typeId();
  return 0;
}

int PropertiesMgrUnsafe::setString(const QString& name, const QString& value) {
  return set(
      name, [&] { return std::make_shared<PropertyString>(value); },
      [&](PropertyBase& p) { return p.setString(value); });
}
int PropertiesMgrUnsafe::setDouble(const QString& name, double value) {
  return set(
      name, [&] { return std::make_shared<PropertyDouble>(value); },
      [&](PropertyBase& p) { return p.setDouble(value); });
}
int PropertiesMgrUnsafe::setULongLong(const QString& name, std::uint64_t value) {
  return set(
      name, [&] { return std::make_shared<PropertyULongLong>(value); },
      [&](PropertyBase& p) { return p.setULongLong(value); });
}
int PropertiesMgrUnsafe::setULong(const QString& name, std::uint32_t value) {
  return set(
      name, [&] { return std::make_shared<PropertyULong>(value); },
      [&](PropertyBase& p) { return p.setULong(value); });
}
int PropertiesMgrUnsafe::setBool(const QString& name, bool value) {
  return set(
      name, [&] { return std::make_shared<PropertyBool>(value); },
      [&](PropertyBase& p) { return p.setBool(value); });
}
int PropertiesMgrUnsafe::setInt(const QString& name, int value) {
  return set(
      name, [&] { return std::make_shared<PropertyInt>(value); },
      [&](PropertyBase& p) { return p.setInt(value); });
}
int PropertiesMgrUnsafe::setPtr(const QString& name, void* value) {
  return set(
      name, [&] { return std::make_shared<PropertyPtr>(value); },
      [&](PropertyBase& p) { return p.setPtr(value); });
}
int PropertiesMgrUnsafe::setStringList(const QString& name, const std::vector<QString>& value) {
  return set(
      name, [&] { return std::make_shared<PropertyStringList>(value); },
      [&](PropertyBase& p) { return p.setStringList(value); });
}

namespace {

// Copies one entry by its type id; the setter's result is not looked at (best-effort).
template <typename Store>
void copyEntry(IPropertiesGetter& source, Store& target, const QString& name, std::uint32_t typeId) {
  switch (typeId) {
    case PropertyBase::TypeString: {
      QString v;
      if (source.getString(name, v) == 0) (void)target.setString(name, v);
      break;
    }
    case PropertyBase::TypeDouble: {
      double v = 0;
      if (source.getDouble(name, v) == 0) (void)target.setDouble(name, v);
      break;
    }
    case PropertyBase::TypeULongLong: {
      std::uint64_t v = 0;
      if (source.getULongLong(name, v) == 0) (void)target.setULongLong(name, v);
      break;
    }
    case PropertyBase::TypeULong: {
      std::uint32_t v = 0;
      if (source.getULong(name, v) == 0) (void)target.setULong(name, v);
      break;
    }
    case PropertyBase::TypeInt: {
      int v = 0;
      if (source.getInt(name, v) == 0) (void)target.setInt(name, v);
      break;
    }
    case PropertyBase::TypeBool: {
      bool v = false;
      if (source.getBool(name, v) == 0) (void)target.setBool(name, v);
      break;
    }
    case PropertyBase::TypePtr: {
      void* v = nullptr;
      if (source.getPtr(name, v) == 0) (void)target.setPtr(name, v);
      break;
    }
    case PropertyBase::TypeStringList: {
      std::vector<QString> v;
      if (source.getStringList(name, v) == 0) (void)target.setStringList(name, v);
      break;
    }
    default:
      break;
  }
}

}  // namespace

int PropertiesMgrUnsafe::copyFrom(IPropertiesGetter* source, bool overwrite) {
  if (!source || source == static_cast<IPropertiesGetter*>(this)) return 0;
  // count() is read each round, so a source that shrinks is never read past its end.
  for (int index = 0; index < source->count(); ++index) {
    QString name;
    std::uint32_t typeId = 0;
    if (source->getPropertyByIndex(index, name, typeId) != 0) continue;
    if (!overwrite && contains(name)) continue;
    copyEntry(*source, *this, name, typeId);
  }
  return 0;
}

int PropertiesMgrUnsafe::remove(const QString& name) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name, entryLess);
  if (it == entries_.end() || it->first != name) return kNotFound;
  entries_.erase(it);
  return 0;
}

int PropertiesMgrUnsafe::clear() {
  entries_.clear();
  return 0;
}

// --- PropertiesMgr: each operation under the mutex

#define LOCKED(call)                \
  QMutexLocker locker(&mutex_);     \
  return store_.call

int PropertiesMgr::getString(const QString& name, QString& value) { LOCKED(getString(name, value)); }
int PropertiesMgr::getDouble(const QString& name, double& value) { LOCKED(getDouble(name, value)); }
int PropertiesMgr::getULongLong(const QString& name, std::uint64_t& value) { LOCKED(getULongLong(name, value)); }
int PropertiesMgr::getULong(const QString& name, std::uint32_t& value) { LOCKED(getULong(name, value)); }
int PropertiesMgr::getBool(const QString& name, bool& value) { LOCKED(getBool(name, value)); }
int PropertiesMgr::getInt(const QString& name, int& value) { LOCKED(getInt(name, value)); }
int PropertiesMgr::getPtr(const QString& name, void*& value) { LOCKED(getPtr(name, value)); }
int PropertiesMgr::getStringList(const QString& name, std::vector<QString>& value) {
  LOCKED(getStringList(name, value));
}
bool PropertiesMgr::contains(const QString& name) { LOCKED(contains(name)); }
int PropertiesMgr::count() { LOCKED(count()); }
int PropertiesMgr::getPropertyByIndex(int index, QString& name, std::uint32_t& typeId) {
  LOCKED(getPropertyByIndex(index, name, typeId));
}
int PropertiesMgr::setString(const QString& name, const QString& value) { LOCKED(setString(name, value)); }
int PropertiesMgr::setDouble(const QString& name, double value) { LOCKED(setDouble(name, value)); }
int PropertiesMgr::setULongLong(const QString& name, std::uint64_t value) { LOCKED(setULongLong(name, value)); }
int PropertiesMgr::setULong(const QString& name, std::uint32_t value) { LOCKED(setULong(name, value)); }
int PropertiesMgr::setBool(const QString& name, bool value) { LOCKED(setBool(name, value)); }
int PropertiesMgr::setInt(const QString& name, int value) { LOCKED(setInt(name, value)); }
int PropertiesMgr::setPtr(const QString& name, void* value) { LOCKED(setPtr(name, value)); }
int PropertiesMgr::setStringList(const QString& name, const std::vector<QString>& value) {
  LOCKED(setStringList(name, value));
}
int PropertiesMgr::remove(const QString& name) { LOCKED(remove(name)); }
int PropertiesMgr::clear() { LOCKED(clear()); }

#undef LOCKED

int PropertiesMgr::copyFrom(IPropertiesGetter* source, bool overwrite) {
  // The mutex is not recursive: a copy from itself would lock it twice.
  if (source == static_cast<IPropertiesGetter*>(this)) return 0;
  QMutexLocker locker(&mutex_);
  return store_.copyFrom(source, overwrite);
}
