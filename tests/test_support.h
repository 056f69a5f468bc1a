#pragma once

#include "core/log_appenders.h"
#include "core/logger.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <ostream>

#include <memory>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace testing_support {

// Sets (or, with a null value, removes) a process variable until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    if (value)
      qputenv(name, value);
    else
      qunsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

// Writes the bytes to the file, replacing it and making its directory first; a file that
// cannot be written fails the test.
inline void writeFile(const QString& path, const QByteArray& content, bool executable = false) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
    ADD_FAILURE() << "cannot write " << path.toStdString();
    return;
  }
  file.close();
  if (executable) file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct CapturedLog {
  std::vector<logger::LogEntry> entries;
  QStringList raw;

  // Every entry's text, in order.
  QStringList texts() const {
    QStringList out;
    for (const auto& e : entries) out << e.text;
    return out;
  }
  bool contains(const QString& text) const {
    for (const auto& e : entries)
      if (e.text == text) return true;
    return false;
  }
  bool containsPart(const QString& part) const {
    for (const auto& e : entries)
      if (e.text.contains(part)) return true;
    return false;
  }
};

class CapturingAppender : public logger::ILogAppender {
 public:
  explicit CapturingAppender(std::shared_ptr<CapturedLog> log) : log_(std::move(log)) {}
  void writeRaw(const QString& text) override { log_->raw << text; }
  void write(const logger::LogEntry& entry) override { log_->entries.push_back(entry); }

 private:
  std::shared_ptr<CapturedLog> log_;
};

// Holds a fresh log manager for one test, with every category on and a capturing
// appender; the manager goes away with the last reference when the scope ends.
class ScopedLogCapture {
 public:
  explicit ScopedLogCapture(int level = logger::LogTrace) : log_(std::make_shared<CapturedLog>()) {
    manager_ = logger::LogManager::instance();
    manager_->addRef();
    manager_->setLevel(level);
    manager_->setFilter(~std::uint64_t(0));
    manager_->addAppender(new CapturingAppender(log_));
  }
  ~ScopedLogCapture() { manager_->release(); }
  ScopedLogCapture(const ScopedLogCapture&) = delete;
  ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

  logger::LogManager* manager() const { return manager_; }
  const CapturedLog& log() const { return *log_; }
  void clear() { log_->entries.clear(); log_->raw.clear(); }

 private:
  std::shared_ptr<CapturedLog> log_;
  logger::LogManager* manager_;
};

}  // namespace testing_support
