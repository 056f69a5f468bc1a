#include "core/properties_mgr.h"

#include <QMutexLocker>

#include <algorithm>

namespace {

template <typename Held>
constexpr bool kShared = std::is_same_v<std::decay_t<Held>, std::shared_ptr<PropertyValue>>;

// A store that is filled one name at a time (a parser's) starts with room for this many.
constexpr std::size_t kFirstCapacity = 8;
// Up to this many entries a name is looked for from the start rather than by halves.
constexpr std::size_t kLinearFindLimit = 16;

// The order of QString's less-than (by UTF-16 code units; a Latin-1 key by its code
// points), inline: names mostly differ in their first letters.
struct NameOrder {
  static const QChar* begin(const QString& s) { return s.constData(); }
  static const QChar* end(const QString& s) { return s.constData() + s.size(); }
  static const char* begin(QLatin1String s) { return s.data(); }
  static const char* end(QLatin1String s) { return s.data() + s.size(); }
  static ushort unit(QChar c) { return c.unicode(); }
  static ushort unit(char c) { return static_cast<uchar>(c); }

  template <typename Key>
  static bool less(const QString& a, const Key& b) {
    return std::lexicographical_compare(begin(a), end(a), begin(b), end(b),
                                        [](auto x, auto y) { return unit(x) < unit(y); });
  }
  template <typename Key>
  static bool equal(const QString& a, const Key& b) {
    return a.size() == b.size() &&
           std::equal(begin(a), end(a), begin(b), [](auto x, auto y) { return unit(x) == unit(y); });
  }
};

}  // namespace

PropertyBase& PropertyValue::get() {
  return std::visit(
      [](auto& held) -> PropertyBase& {
        if constexpr (kShared<decltype(held)>) {
          return held->get();
        } else {
          return held;
        }
      },
      value_);
}

void PropertyValue::share() {
  if (std::holds_alternative<std::shared_ptr<PropertyValue>>(value_)) return;
  auto cell = std::make_shared<PropertyValue>(std::move(*this));
  value_ = std::move(cell);
}

PropertyValue PropertyValue::copy() const {
  return std::visit(
      [](const auto& held) -> PropertyValue {
        if constexpr (kShared<decltype(held)>) {
          return held->copy();
        } else {
          return PropertyValue(held);
        }
      },
      value_);
}

template <typename Key>
std::vector<PropertiesMgrUnsafe::Entry>::iterator PropertiesMgrUnsafe::lowerBound(const Key& name) const {
  // Names mostly come in order (a copy from another store): try the end first.
  if (entries_.empty() || NameOrder::less(entries_.back().name, name)) return entries_.end();
  return std::lower_bound(entries_.begin(), entries_.end(), name,
                          [](const Entry& e, const Key& n) { return NameOrder::less(e.name, n); });
}

template <typename Key>
PropertyBase* PropertiesMgrUnsafe::find(const Key& name) const {
  // A task's few attributes are found faster by a walk that mostly compares lengths only.
  if (entries_.size() <= kLinearFindLimit) {
    for (Entry& e : entries_)
      if (NameOrder::equal(e.name, name)) return &e.value.get();
    return nullptr;
  }
  auto it = lowerBound(name);
  return it != entries_.end() && NameOrder::equal(it->name, name) ? &it->value.get() : nullptr;
}

std::vector<PropertiesMgrUnsafe::Entry> PropertiesMgrUnsafe::shareEntries() const {
  for (Entry& e : entries_) e.value.share();
  return entries_;
}

template <typename Key, typename Get>
int PropertiesMgrUnsafe::get(const Key& name, Get get) {
  PropertyBase* p = find(name);
  return p ? get(*p) : kMissing;
}

template <typename Property, typename Value, typename Set>
int PropertiesMgrUnsafe::set(const QString& name, const Value& value, Set set) {
  auto it = lowerBound(name);
  if (it != entries_.end() && NameOrder::equal(it->name, name)) return set(it->value.get());
  if (entries_.capacity() == 0) {
    entries_.reserve(kFirstCapacity);
    it = entries_.begin();
  }
  entries_.insert(it, Entry{name, PropertyValue(Property(value))});
  return 0;
}

int PropertiesMgrUnsafe::getString(const QString& name, QString& value) {
  return get(name, [&](PropertyBase& p) { return p.getString(value); });
}
int PropertiesMgrUnsafe::getString(QLatin1String name, QString& value) {
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
  Entry& e = entries_[static_cast<std::size_t>(index)];
  name = e.name;
  typeId = e.value.get().typeId();
  return 0;
}

int PropertiesMgrUnsafe::setString(const QString& name, const QString& value) {
  return set<PropertyString>(name, value, [&](PropertyBase& p) { return p.setString(value); });
}
int PropertiesMgrUnsafe::setDouble(const QString& name, double value) {
  return set<PropertyDouble>(name, value, [&](PropertyBase& p) { return p.setDouble(value); });
}
int PropertiesMgrUnsafe::setULongLong(const QString& name, std::uint64_t value) {
  return set<PropertyULongLong>(name, value, [&](PropertyBase& p) { return p.setULongLong(value); });
}
int PropertiesMgrUnsafe::setULong(const QString& name, std::uint32_t value) {
  return set<PropertyULong>(name, value, [&](PropertyBase& p) { return p.setULong(value); });
}
int PropertiesMgrUnsafe::setBool(const QString& name, bool value) {
  return set<PropertyBool>(name, value, [&](PropertyBase& p) { return p.setBool(value); });
}
int PropertiesMgrUnsafe::setInt(const QString& name, int value) {
  return set<PropertyInt>(name, value, [&](PropertyBase& p) { return p.setInt(value); });
}
int PropertiesMgrUnsafe::setPtr(const QString& name, void* value) {
  return set<PropertyPtr>(name, value, [&](PropertyBase& p) { return p.setPtr(value); });
}
int PropertiesMgrUnsafe::setStringList(const QString& name, const std::vector<QString>& value) {
  return set<PropertyStringList>(name, value, [&](PropertyBase& p) { return p.setStringList(value); });
}

namespace {

// The reads of copyFrom: by name from any store, or straight from a property of ours.
struct ReadByName {
  IPropertiesGetter& source;
  const QString& name;
  int get(QString& v) { return source.getString(name, v); }
  int get(double& v) { return source.getDouble(name, v); }
  int get(std::uint64_t& v) { return source.getULongLong(name, v); }
  int get(std::uint32_t& v) { return source.getULong(name, v); }
  int get(int& v) { return source.getInt(name, v); }
  int get(bool& v) { return source.getBool(name, v); }
  int get(void*& v) { return source.getPtr(name, v); }
  int get(std::vector<QString>& v) { return source.getStringList(name, v); }
};

struct ReadProperty {
  PropertyBase& property;
  int get(QString& v) { return property.getString(v); }
  int get(double& v) { return property.getDouble(v); }
  int get(std::uint64_t& v) { return property.getULongLong(v); }
  int get(std::uint32_t& v) { return property.getULong(v); }
  int get(int& v) { return property.getInt(v); }
  int get(bool& v) { return property.getBool(v); }
  int get(void*& v) { return property.getPtr(v); }
  int get(std::vector<QString>& v) { return property.getStringList(v); }
};

// Copies one entry by its type id: read with the getter of that type, stored with the
// setter of that type. The setter's result is not looked at.
template <typename Read>
void copyEntry(Read read, PropertiesMgrUnsafe& target, const QString& name, std::uint32_t typeId) {
  auto copy = [&](auto value, auto set) {
    if (read.get(value) == 0) (void)(target.*set)(name, value);  // best-effort
  };
  switch (typeId) {
    case PropertyBase::TypeString:
      return copy(QString(), &PropertiesMgrUnsafe::setString);
    case PropertyBase::TypeDouble:
      return copy(0.0, &PropertiesMgrUnsafe::setDouble);
    case PropertyBase::TypeULongLong:
      return copy(std::uint64_t(0), &PropertiesMgrUnsafe::setULongLong);
    case PropertyBase::TypeULong:
      return copy(std::uint32_t(0), &PropertiesMgrUnsafe::setULong);
    case PropertyBase::TypeInt:
      return copy(0, &PropertiesMgrUnsafe::setInt);
    case PropertyBase::TypeBool:
      return copy(false, &PropertiesMgrUnsafe::setBool);
    case PropertyBase::TypePtr:
      return copy(static_cast<void*>(nullptr), &PropertiesMgrUnsafe::setPtr);
    case PropertyBase::TypeStringList:
      return copy(std::vector<QString>(), &PropertiesMgrUnsafe::setStringList);
    default:
      return;
  }
}

}  // namespace

void PropertiesMgrUnsafe::copyEntries(const PropertiesMgrUnsafe& source, bool overwrite) {
  if (entries_.empty()) {
    // Every name is new: each property is read and stored as its own type, which is a copy
    // of it (a task taking its element's attributes).
    entries_.reserve(source.entries_.size());
    for (const Entry& e : source.entries_) entries_.push_back(Entry{e.name, e.value.copy()});
    return;
  }
  for (Entry& e : source.entries_) {
    if (!overwrite && contains(e.name)) continue;
    PropertyBase& property = e.value.get();
    copyEntry(ReadProperty{property}, *this, e.name, property.typeId());
  }
}

int PropertiesMgrUnsafe::copyFrom(IPropertiesGetter* source, bool overwrite) {
  if (!source || source == static_cast<IPropertiesGetter*>(this)) return 0;
  // Our own stores are walked entry by entry, without a lookup by name for each.
  if (auto* locked = dynamic_cast<PropertiesMgr*>(source)) {
    QMutexLocker lock(&locked->mutex_);
    copyEntries(locked->store_, overwrite);
    return 0;
  }
  if (auto* plain = dynamic_cast<PropertiesMgrUnsafe*>(source)) {
    copyEntries(*plain, overwrite);
    return 0;
  }
  // count() is read each round, so a source that shrinks is never read past its end.
  for (int index = 0; index < source->count(); ++index) {
    QString name;
    std::uint32_t typeId = 0;
    if (source->getPropertyByIndex(index, name, typeId) != 0) continue;
    if (!overwrite && contains(name)) continue;
    copyEntry(ReadByName{*source, name}, *this, name, typeId);
  }
  return 0;
}

int PropertiesMgrUnsafe::remove(const QString& name) {
  auto it = lowerBound(name);
  if (it == entries_.end() || !NameOrder::equal(it->name, name)) return kNotFound;
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
int PropertiesMgr::getString(QLatin1String name, QString& value) { LOCKED(getString(name, value)); }
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
