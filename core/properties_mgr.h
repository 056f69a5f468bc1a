#pragma once

#include "core/iproperties.h"
#include "core/properties.h"

#include <QMutex>

#include <memory>
#include <utility>
#include <vector>

// A property store without a lock, for one owner. Copies share the property
// objects: a typed set of a name both hold is seen by both, while adding,
// removing or clearing names affects only the store it is done on.
class PropertiesMgrUnsafe : public IPropertiesGetter, public IPropertiesSetter {
 public:
  [[nodiscard]] int getString(const QString& name, QString& value) override;
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
  using Entry = std::pair<QString, std::shared_ptr<PropertyBase>>;

  PropertyBase* find(const QString& name) const;
  template <typename Get>
  [[nodiscard]] int get(const QString& name, Get get);
  template <typename Make, typename Set>
  [[nodiscard]] int set(const QString& name, Make make, Set set);

  // Sorted by name, so index reads are direct and a walk by index stays linear.
  std::vector<Entry> entries_;
};

// The same store behind a mutex held for the whole of every operation.
// copyFrom calls the source with the mutex held; copying from itself does nothing.
class PropertiesMgr : public IPropertiesGetter, public IPropertiesSetter {
 public:
  PropertiesMgr() = default;
  PropertiesMgr(const PropertiesMgr&) = delete;
  PropertiesMgr& operator=(const PropertiesMgr&) = delete;

  [[nodiscard]] int getString(const QString& name, QString& value) override;
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
  QMutex mutex_;
  PropertiesMgrUnsafe store_;
};
