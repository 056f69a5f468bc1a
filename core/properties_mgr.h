#pragma once

#include "core/iproperties.h"
#include "core/properties.h"

#include <QMutex>

#include <memory>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

// One typed property held in place in a store's entry, with no allocation of its own.
// When a store is copied, both stores' entries come to hold one shared property.
class PropertyValue {
 public:
  template <typename Property, typename = std::enable_if_t<std::is_base_of_v<PropertyBase, Property>>>
  explicit PropertyValue(Property property) : value_(std::move(property)) {}

  PropertyBase& get();
  // Moves a property held in place to the heap, so that copies of this value share it.
  void share();
  // A new property of the same type and value, shared with nobody.
  PropertyValue copy() const;

 private:
  std::variant<PropertyString, PropertyDouble, PropertyULongLong, PropertyULong, PropertyInt, PropertyBool,
               PropertyPtr, PropertyStringList, std::shared_ptr<PropertyValue>>
      value_;
};

class PropertiesMgr;

// A property store without a lock, for one owner. Copies share the property
// objects: a typed set of a name both hold is seen by both, while adding,
// removing or clearing names affects only the store it is done on. A copy is a
// write to its source too (its properties move to the heap to be shared).
class PropertiesMgrUnsafe : public IPropertiesGetter, public IPropertiesSetter {
 public:
  PropertiesMgrUnsafe() = default;
  PropertiesMgrUnsafe(const PropertiesMgrUnsafe& other) : entries_(other.shareEntries()) {}
  PropertiesMgrUnsafe& operator=(const PropertiesMgrUnsafe& other) {
    if (this != &other) entries_ = other.shareEntries();
    return *this;
  }
  PropertiesMgrUnsafe(PropertiesMgrUnsafe&&) noexcept = default;
  PropertiesMgrUnsafe& operator=(PropertiesMgrUnsafe&&) noexcept = default;
  ~PropertiesMgrUnsafe() override = default;

  [[nodiscard]] int getString(const QString& name, QString& value) override;
  // The same read by a fixed key, without building a QString of it.
  [[nodiscard]] int getString(QLatin1String name, QString& value);
  [[nodiscard]] int getDouble(const QString& name, double& value) override;
  [[nodiscard]] int getULongLong(const QString& name, std::uint64_t& value) override;
  [[nodiscard]] int getULong(const QString& name, std::uint32_t& value) override;
  [[nodiscard]] int getBool(const QString& name, bool& value) override;
  [[nodiscard]] int getInt(const QString& name, int& value) override;
  [[nodiscard]] int getPtr(const QString& name, void*& value) override;
  [[nodiscard]] int getStringList(const QString& name, std::vector<QString>& value) override;
  bool contains(const QString& name) override;
  int count() override;
  [[nodiscard]] int getPropertyByIndex(int index, QString& name, std::uint32_t& typeId) override;

  [[nodiscard]] int setString(const QString& name, const QString& value) override;
  [[nodiscard]] int setDouble(const QString& name, double value) override;
  [[nodiscard]] int setULongLong(const QString& name, std::uint64_t value) override;
  [[nodiscard]] int setULong(const QString& name, std::uint32_t value) override;
  [[nodiscard]] int setBool(const QString& name, bool value) override;
  [[nodiscard]] int setInt(const QString& name, int value) override;
  [[nodiscard]] int setPtr(const QString& name, void* value) override;
  [[nodiscard]] int setStringList(const QString& name, const std::vector<QString>& value) override;
  [[nodiscard]] int copyFrom(IPropertiesGetter* source, bool overwrite) override;
  [[nodiscard]] int remove(const QString& name) override;
  [[nodiscard]] int clear() override;

 private:
  struct Entry {
    QString name;
    PropertyValue value;
  };

  template <typename Key>
  std::vector<Entry>::iterator lowerBound(const Key& name) const;
  template <typename Key>
  PropertyBase* find(const Key& name) const;
  std::vector<Entry> shareEntries() const;
  void copyEntries(const PropertiesMgrUnsafe& source, bool overwrite);
  template <typename Key, typename Get>
  [[nodiscard]] int get(const Key& name, Get get);
  template <typename Property, typename Value, typename Set>
  [[nodiscard]] int set(const QString& name, const Value& value, Set set);

  // Sorted by name, so index reads are direct and a walk by index stays linear; each
  // entry holds its property in place. Mutable: a copy shares the source's properties.
  mutable std::vector<Entry> entries_;
};

// The same store behind a mutex held for the whole of every operation.
// copyFrom calls the source with the mutex held; copying from itself does nothing.
class PropertiesMgr : public IPropertiesGetter, public IPropertiesSetter {
 public:
  PropertiesMgr() = default;
  PropertiesMgr(const PropertiesMgr&) = delete;
  PropertiesMgr& operator=(const PropertiesMgr&) = delete;

  [[nodiscard]] int getString(const QString& name, QString& value) override;
  // The same read by a fixed key, without building a QString of it.
  [[nodiscard]] int getString(QLatin1String name, QString& value);
  [[nodiscard]] int getDouble(const QString& name, double& value) override;
  [[nodiscard]] int getULongLong(const QString& name, std::uint64_t& value) override;
  [[nodiscard]] int getULong(const QString& name, std::uint32_t& value) override;
  [[nodiscard]] int getBool(const QString& name, bool& value) override;
  [[nodiscard]] int getInt(const QString& name, int& value) override;
  [[nodiscard]] int getPtr(const QString& name, void*& value) override;
  [[nodiscard]] int getStringList(const QString& name, std::vector<QString>& value) override;
  bool contains(const QString& name) override;
  int count() override;
  [[nodiscard]] int getPropertyByIndex(int index, QString& name, std::uint32_t& typeId) override;

  [[nodiscard]] int setString(const QString& name, const QString& value) override;
  [[nodiscard]] int setDouble(const QString& name, double value) override;
  [[nodiscard]] int setULongLong(const QString& name, std::uint64_t value) override;
  [[nodiscard]] int setULong(const QString& name, std::uint32_t value) override;
  [[nodiscard]] int setBool(const QString& name, bool value) override;
  [[nodiscard]] int setInt(const QString& name, int value) override;
  [[nodiscard]] int setPtr(const QString& name, void* value) override;
  [[nodiscard]] int setStringList(const QString& name, const std::vector<QString>& value) override;
  [[nodiscard]] int copyFrom(IPropertiesGetter* source, bool overwrite) override;
  [[nodiscard]] int remove(const QString& name) override;
  [[nodiscard]] int clear() override;

 private:
  friend class PropertiesMgrUnsafe;  // copies from this store under its mutex

  QMutex mutex_;
  PropertiesMgrUnsafe store_;
};
