#pragma once

#include "core/result_codes.h"

#include <QString>

#include <cstdint>
#include <vector>

// Reads of a store of named typed properties (names compared exactly).
// Getters give 0, kMissing for an absent name, or the property's own code.
class IPropertiesGetter {
 public:
  static constexpr int kMissing = core_codes::kPropertyMissing;

  virtual ~IPropertiesGetter() = default;
  [[nodiscard]] virtual int getString(const QString& name, QString& value) = 0;
  [[nodiscard]] virtual int getDouble(const QString& name, double& value) = 0;
  [[nodiscard]] virtual int getULongLong(const QString& name, std::uint64_t& value) = 0;
  [[nodiscard]] virtual int getULong(const QString& name, std::uint32_t& value) = 0;
  [[nodiscard]] virtual int getBool(const QString& name, bool& value) = 0;
  [[nodiscard]] virtual int getInt(const QString& name, int& value) = 0;
  [[nodiscard]] virtual int getPtr(const QString& name, void*& value) = 0;
  [[nodiscard]] virtual int getStringList(const QString& name, std::vector<QString>& value) = 0;
  virtual bool contains(const QString& name) = 0;
  virtual int count() = 0;
  // The entry at that position in name order; kMissing past the end.
  [[nodiscard]] virtual int getPropertyByIndex(int index, QString& name, std::uint32_t& typeId) = 0;
};

// Writes: an existing name keeps its property and type, and the value goes through
// that property's setter; a new name gets a property of the setter's type.
class IPropertiesSetter {
 public:
  static constexpr int kNotFound = core_codes::kNotFound;

  virtual ~IPropertiesSetter() = default;
  [[nodiscard]] virtual int setString(const QString& name, const QString& value) = 0;
  [[nodiscard]] virtual int setDouble(const QString& name, double value) = 0;
  [[nodiscard]] virtual int setULongLong(const QString& name, std::uint64_t value) = 0;
  [[nodiscard]] virtual int setULong(const QString& name, std::uint32_t value) = 0;
  [[nodiscard]] virtual int setBool(const QString& name, bool value) = 0;
  [[nodiscard]] virtual int setInt(const QString& name, int value) = 0;
  [[nodiscard]] virtual int setPtr(const QString& name, void* value) = 0;
  [[nodiscard]] virtual int setStringList(const QString& name, const std::vector<QString>& value) = 0;
  [[nodiscard]] virtual int copyFrom(IPropertiesGetter* source, bool overwrite) = 0;
  [[nodiscard]] virtual int remove(const QString& name) = 0;
  [[nodiscard]] virtual int clear() = 0;
};
