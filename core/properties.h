#pragma once

#include "core/result_codes.h"

#include <QString>

#include <cstdint>
#include <vector>

// One typed value that hands itself out, or takes a new value, as some of the
// other types. A conversion the type does not offer returns kUnsupported and
// changes neither the value nor the out-argument.
class PropertyBase {
 public:
  enum TypeId : std::uint32_t {
    TypeString = 1,
    TypeDouble = 2,
    TypeULongLong = 3,
    TypeULong = 4,
    TypeInt = 5,
    TypeBool = 6,
    TypePtr = 7,
    TypeStringList = 8,
  };
  static constexpr int kUnsupported = core_codes::kUnsupported;

  virtual ~PropertyBase() = default;

  [[nodiscard]] virtual int getString(QString& value);
  [[nodiscard]] virtual int getDouble(double& value);
  [[nodiscard]] virtual int getULongLong(std::uint64_t& value);
  [[nodiscard]] virtual int getULong(std::uint32_t& value);
  [[nodiscard]] virtual int getBool(bool& value);
  [[nodiscard]] virtual int getInt(int& value);
  [[nodiscard]] virtual int getPtr(void*& value);
  [[nodiscard]] virtual int getStringList(std::vector<QString>& value);

  [[nodiscard]] virtual int setString(const QString& value);
  [[nodiscard]] virtual int setDouble(double value);
  [[nodiscard]] virtual int setULongLong(std::uint64_t value);
  [[nodiscard]] virtual int setULong(std::uint32_t value);
  [[nodiscard]] virtual int setBool(bool value);
  [[nodiscard]] virtual int setInt(int value);
  [[nodiscard]] virtual int setPtr(void* value);
  [[nodiscard]] virtual int setStringList(const std::vector<QString>& value);

  std::uint32_t typeId() const { return typeId_; }

 protected:
  explicit PropertyBase(std::uint32_t typeId) : typeId_(typeId) {}

 private:
  std::uint32_t typeId_;
};

class PropertyString : public PropertyBase {
 public:
  explicit PropertyString(const QString& value = QString()) : PropertyBase(TypeString), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setString(const QString& value) override;
  [[nodiscard]] int setStringList(const std::vector<QString>& value) override;

 private:
  QString value_;
};

class PropertyDouble : public PropertyBase {
 public:
  explicit PropertyDouble(double value = 0.0) : PropertyBase(TypeDouble), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getDouble(double& value) override;
  [[nodiscard]] int getBool(bool& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setDouble(double value) override;

 private:
  double value_;
};

class PropertyULongLong : public PropertyBase {
 public:
  explicit PropertyULongLong(std::uint64_t value = 0) : PropertyBase(TypeULongLong), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getDouble(double& value) override;
  [[nodiscard]] int getULongLong(std::uint64_t& value) override;
  [[nodiscard]] int getBool(bool& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setULongLong(std::uint64_t value) override;
  [[nodiscard]] int setULong(std::uint32_t value) override;
  [[nodiscard]] int setBool(bool value) override;
  [[nodiscard]] int setInt(int value) override;

 private:
  std::uint64_t value_;
};

class PropertyULong : public PropertyBase {
 public:
  explicit PropertyULong(std::uint32_t value = 0) : PropertyBase(TypeULong), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getDouble(double& value) override;
  [[nodiscard]] int getULongLong(std::uint64_t& value) override;
  [[nodiscard]] int getULong(std::uint32_t& value) override;
  [[nodiscard]] int getBool(bool& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setULong(std::uint32_t value) override;
  [[nodiscard]] int setBool(bool value) override;
  [[nodiscard]] int setInt(int value) override;

 private:
  std::uint32_t value_;
};

class PropertyInt : public PropertyBase {
 public:
  explicit PropertyInt(int value = 0) : PropertyBase(TypeInt), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getDouble(double& value) override;
  [[nodiscard]] int getULongLong(std::uint64_t& value) override;
  [[nodiscard]] int getULong(std::uint32_t& value) override;
  [[nodiscard]] int getBool(bool& value) override;
  [[nodiscard]] int getInt(int& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setBool(bool value) override;
  [[nodiscard]] int setInt(int value) override;

 private:
  int value_;
};

class PropertyBool : public PropertyBase {
 public:
  explicit PropertyBool(bool value = false) : PropertyBase(TypeBool), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getDouble(double& value) override;
  [[nodiscard]] int getULongLong(std::uint64_t& value) override;
  [[nodiscard]] int getULong(std::uint32_t& value) override;
  [[nodiscard]] int getBool(bool& value) override;
  [[nodiscard]] int getInt(int& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setBool(bool value) override;

 private:
  bool value_;
};

// Holds a pointer it does not own.
class PropertyPtr : public PropertyBase {
 public:
  explicit PropertyPtr(void* value = nullptr) : PropertyBase(TypePtr), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getPtr(void*& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setPtr(void* value) override;

 private:
  void* value_;
};

class PropertyStringList : public PropertyBase {
 public:
  explicit PropertyStringList(const std::vector<QString>& value = {})
      : PropertyBase(TypeStringList), value_(value) {}
  [[nodiscard]] int getString(QString& value) override;
  [[nodiscard]] int getStringList(std::vector<QString>& value) override;
  [[nodiscard]] int setString(const QString& value) override;
  [[nodiscard]] int setStringList(const std::vector<QString>& value) override;

 private:
  std::vector<QString> value_;
};
