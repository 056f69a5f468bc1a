#pragma once

#include <QString>

#include <cstdint>

// Flags stored with every variable: a read-only bit in the low byte, a category in
// the high 32 bits that the store keeps without reading.
struct VariableFlags {
  bool readOnly = false;
  std::uint32_t category = 1;

  static constexpr std::uint32_t kCategoryPlain = 1;
  static constexpr std::uint32_t kCategoryJob = 3;
};

// Reads of a store of named texts; names compare without regard to case.
// Results are 0, or 60 when the name or index is not there.
class IVariablesGetter {
 public:
  virtual ~IVariablesGetter() = default;
  virtual bool exists(const QString& name) = 0;
  virtual int count() = 0;
  [[nodiscard]] virtual int getAt(int index, QString& name, QString& value, VariableFlags& flags) = 0;
  [[nodiscard]] virtual int getAt(int index, QString& name, QString& value) = 0;
  [[nodiscard]] virtual int getNameAt(int index, QString& name) = 0;
  [[nodiscard]] virtual int get(const QString& name, QString& value, VariableFlags& flags) = 0;
  [[nodiscard]] virtual int get(const QString& name, QString& value) = 0;
  [[nodiscard]] virtual int getFlags(const QString& name, VariableFlags& flags) = 0;
};

class IVariablesSetter {
 public:
  virtual ~IVariablesSetter() = default;
  [[nodiscard]] virtual int set(const QString& name, const QString& value, VariableFlags flags) = 0;
  [[nodiscard]] virtual int set(const QString& name, const QString& value) = 0;
  [[nodiscard]] virtual int remove(const QString& name) = 0;
  [[nodiscard]] virtual int clear() = 0;
};

// Sees every value before it is stored; true means "store replacement instead".
class IVariablesSetTrigger {
 public:
  virtual ~IVariablesSetTrigger() = default;
  virtual bool onVariableSet(const QString& name, const QString& value, QString& replacement) = 0;
};
