#pragma once

#include <QString>
#include <QStringList>

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
  static constexpr int kUnsupported = 201;

  virtual ~PropertyBase() = default;

  virtual int getString(QString& value);
  virtual int getDouble(double& value);
  virtual int getULongLong(std::uint64_t& value);
  virtual int getULong(std::uint32_t& value);
  virtual int getBool(bool& value);
  virtual int getInt(int& value);
  virtual int getPtr(void*& value);
  virtual int getStringList(std::vector<QString>& value);

  virtual int setString(const QString& value);
  virtual int setDouble(double value);
  virtual int setULongLong(std::uint64_t value);
  virtual int setULong(std::uint32_t value);
  virtual int setBool(bool value);
  virtual int setInt(int value);
  virtual int setPtr(void* value);
  virtual int setStringList(const std::vector<QString>& value);

  std::uint32_t typeId() const { return typeId_; }

 protected:
  explicit PropertyBase(std::uint32_t typeId) : typeId_(typeId) {}

 private:
  std::uint32_t typeId_;
};

class PropertyString : public PropertyBase {
 public:
  explicit PropertyString(const QString& value = QString()) : PropertyBase(TypeString), value_(value) {}
  int getString(QString& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setString(const QString& value) override;
  int setStringList(const std::vector<QString>& value) override;

 private:
  QString value_;
};

class PropertyDouble : public PropertyBase {
 public:
  explicit PropertyDouble(double value = 0.0) : PropertyBase(TypeDouble), value_(value) {}
  int getString(QString& value) override;
  int getDouble(double& value) override;
  int getBool(bool& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setDouble(double value) override;

 private:
  double value_;
};

class PropertyULongLong : public PropertyBase {
 public:
  explicit PropertyULongLong(std::uint64_t value = 0) : PropertyBase(TypeULongLong), value_(value) {}
  int getString(QString& value) override;
  int getDouble(double& value) override;
  int getULongLong(std::uint64_t& value) override;
  int getBool(bool& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setULongLong(std::uint64_t value) override;
  int setULong(std::uint32_t value) override;
  int setBool(bool value) override;
  int setInt(int value) override;

 private:
  std::uint64_t value_;
};

class PropertyULong : public PropertyBase {
 public:
  explicit PropertyULong(std::uint32_t value = 0) : PropertyBase(TypeULong), value_(value) {}
  int getString(QString& value) override;
  int getDouble(double& value) override;
  int getULongLong(std::uint64_t& value) override;
  int getULong(std::uint32_t& value) override;
  int getBool(bool& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setULong(std::uint32_t value) override;
  int setBool(bool value) override;
  int setInt(int value) override;

 private:
  std::uint32_t value_;
};

class PropertyInt : public PropertyBase {
 public:
  explicit PropertyInt(int value = 0) : PropertyBase(TypeInt), value_(value) {}
  int getString(QString& value) override;
  int getDouble(double& value) override;
  int getULongLong(std::uint64_t& value) override;
  int getULong(std::uint32_t& value) override;
  int getBool(bool& value) override;
  int getInt(int& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setBool(bool value) override;
  int setInt(int value) override;

 private:
  int value_;
};

class PropertyBool : public PropertyBase {
 public:
  explicit PropertyBool(bool value = false) : PropertyBase(TypeBool), value_(value) {}
  int getString(QString& value) override;
  int getDouble(double& value) override;
  int getULongLong(std::uint64_t& value) override;
  int getULong(std::uint32_t& value) override;
  int getBool(bool& value) override;
  int getInt(int& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setBool(bool value) override;

 private:
  bool value_;
};

// Holds a pointer it does not own.
class PropertyPtr : public PropertyBase {
 public:
  explicit PropertyPtr(void* value = nullptr) : PropertyBase(TypePtr), value_(value) {}
  int getString(QString& value) override;
  int getPtr(void*& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setPtr(void* value) override;

 private:
  void* value_;
};

class PropertyStringList : public PropertyBase {
 public:
  explicit PropertyStringList(const std::vector<QString>& value = {})
      : PropertyBase(TypeStringList), value_(value.begin(), value.end()) {}
  int getString(QString& value) override;
  int getStringList(std::vector<QString>& value) override;
  int setString(const QString& value) override;
  int setStringList(const std::vector<QString>& value) override;

 private:
  // A QStringList rather than a vector: one word, so a store holds any property in place.
  QStringList value_;
};
