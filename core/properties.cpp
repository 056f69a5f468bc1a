#include "core/properties.h"

#include "core/text_helpers.h"

namespace {

int oneItem(std::vector<QString>& out, const QString& item) {
  out.clear();
  out.push_back(item);
  return 0;
}

QString doubleText(double value) { return QString::number(value, 'g', 6); }

}  // namespace

int PropertyBase::getString(QString&) { return kUnsupported; }
int PropertyBase::getDouble(double&) { return kUnsupported; }
int PropertyBase::getULongLong(std::uint64_t&) { return kUnsupported; }
int PropertyBase::getULong(std::uint32_t&) { return kUnsupported; }
int PropertyBase::getBool(bool&) { return kUnsupported; }
int PropertyBase::getInt(int&) { return kUnsupported; }
int PropertyBase::getPtr(void*&) { return kUnsupported; }
int PropertyBase::getStringList(std::vector<QString>&) { return kUnsupported; }
int PropertyBase::setString(const QString&) { return kUnsupported; }
int PropertyBase::setDouble(double) { return kUnsupported; }
int PropertyBase::setULongLong(std::uint64_t) { return kUnsupported; }
int PropertyBase::setULong(std::uint32_t) { return kUnsupported; }
int PropertyBase::setBool(bool) { return kUnsupported; }
int PropertyBase::setInt(int) { return kUnsupported; }
int PropertyBase::setPtr(void*) { return kUnsupported; }
int PropertyBase::setStringList(const std::vector<QString>&) { return kUnsupported; }

// --- String

int PropertyString::getString(QString& value) {
  value = value_;
  return 0;
}
int PropertyString::getStringList(std::vector<QString>& value) { return oneItem(value, value_); }
int PropertyString::setString(const QString& value) {
  value_ = value;
  return 0;
}
int PropertyString::setStringList(const std::vector<QString>& value) {
  value_ = value.empty() ? QString() : value.front();
  return 0;
}

// --- Double

int PropertyDouble::getString(QString& value) {
  value = doubleText(value_);
  return 0;
}
int PropertyDouble::getDouble(double& value) {
  value = value_;
  return 0;
}
int PropertyDouble::getBool(bool& value) {
  value = value_ != 0.0;
  return 0;
}
int PropertyDouble::getStringList(std::vector<QString>& value) { return oneItem(value, doubleText(value_)); }
int PropertyDouble::setDouble(double value) {
  value_ = value;
  return 0;
}

// --- ULongLong

int PropertyULongLong::getString(QString& value) {
  value = QString::number(value_);
  return 0;
}
int PropertyULongLong::getDouble(double& value) {
  value = static_cast<double>(value_);
  return 0;
}
int PropertyULongLong::getULongLong(std::uint64_t& value) {
  value = value_;
  return 0;
}
int PropertyULongLong::getBool(bool& value) {
  value = value_ != 0;
  return 0;
}
int PropertyULongLong::getStringList(std::vector<QString>& value) {
  return oneItem(value, QString::number(value_));
}
int PropertyULongLong::setULongLong(std::uint64_t value) {
  value_ = value;
  return 0;
}
int PropertyULongLong::setULong(std::uint32_t value) {
  value_ = value;
  return 0;
}
int PropertyULongLong::setBool(bool value) {
  value_ = value ? 1 : 0;
  return 0;
}
int PropertyULongLong::setInt(int value) {
  value_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
  return 0;
}

// --- ULong

int PropertyULong::getString(QString& value) {
  value = QString::number(value_);
  return 0;
}
int PropertyULong::getDouble(double& value) {
  value = static_cast<double>(value_);
  return 0;
}
int PropertyULong::getULongLong(std::uint64_t& value) {
  value = value_;
  return 0;
}
int PropertyULong::getULong(std::uint32_t& value) {
  value = value_;
  return 0;
}
int PropertyULong::getBool(bool& value) {
  value = value_ != 0;
  return 0;
}
int PropertyULong::getStringList(std::vector<QString>& value) { return oneItem(value, QString::number(value_)); }
int PropertyULong::setULong(std::uint32_t value) {
  value_ = value;
  return 0;
}
int PropertyULong::setBool(bool value) {
  value_ = value ? 1 : 0;
  return 0;
}
int PropertyULong::setInt(int value) {
  value_ = static_cast<std::uint32_t>(value);
  return 0;
}

// --- Int

int PropertyInt::getString(QString& value) {
  value = QString::number(value_);
  return 0;
}
int PropertyInt::getDouble(double& value) {
  value = static_cast<double>(value_);
  return 0;
}
int PropertyInt::getULongLong(std::uint64_t& value) {
  value = static_cast<std::uint64_t>(static_cast<std::int64_t>(value_));
  return 0;
}
int PropertyInt::getULong(std::uint32_t& value) {
  value = static_cast<std::uint32_t>(value_);
  return 0;
}
int PropertyInt::getBool(bool& value) {
  value = value_ != 0;
  return 0;
}
int PropertyInt::getInt(int& value) {
  value = value_;
  return 0;
}
int PropertyInt::getStringList(std::vector<QString>& value) { return oneItem(value, QString::number(value_)); }
int PropertyInt::setBool(bool value) {
  value_ = value ? 1 : 0;
  return 0;
}
int PropertyInt::setInt(int value) {
  value_ = value;
  return 0;
}

// --- Bool

int PropertyBool::getString(QString& value) {
  value = boolText(value_);
  return 0;
}
int PropertyBool::getDouble(double& value) {
  value = value_ ? 1.0 : 0.0;
  return 0;
}
int PropertyBool::getULongLong(std::uint64_t& value) {
  value = value_ ? 1 : 0;
  return 0;
}
int PropertyBool::getULong(std::uint32_t& value) {
  value = value_ ? 1 : 0;
  return 0;
}
int PropertyBool::getBool(bool& value) {
  value = value_;
  return 0;
}
int PropertyBool::getInt(int& value) {
  value = value_ ? 1 : 0;
  return 0;
}
int PropertyBool::getStringList(std::vector<QString>& value) { return oneItem(value, boolText(value_)); }
int PropertyBool::setBool(bool value) {
  value_ = value;
  return 0;
}

// --- Ptr

int PropertyPtr::getString(QString& value) {
  value = QString::number(reinterpret_cast<quintptr>(value_));
  return 0;
}
int PropertyPtr::getPtr(void*& value) {
  value = value_;
  return 0;
}
int PropertyPtr::getStringList(std::vector<QString>& value) {
  return oneItem(value, QString::number(reinterpret_cast<quintptr>(value_)));
}
int PropertyPtr::setPtr(void* value) {
  value_ = value;
  return 0;
}

// --- StringList

int PropertyStringList::getString(QString& value) {
  value = value_.join(QLatin1String("\r\n"));
  return 0;
}
int PropertyStringList::getStringList(std::vector<QString>& value) {
  value.assign(value_.begin(), value_.end());
  return 0;
}
int PropertyStringList::setString(const QString& value) {
  value_ = QStringList{value};
  return 0;
}
int PropertyStringList::setStringList(const std::vector<QString>& value) {
  value_ = QStringList(value.begin(), value.end());
  return 0;
}
