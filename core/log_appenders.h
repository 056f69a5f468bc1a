#pragma once

#include "core/logger.h"

#include <QFile>
#include <QMutex>
#include <QString>

namespace logger {

class ILogAppender {
 public:
  virtual ~ILogAppender() = default;
  virtual void writeRaw(const QString& text) = 0;
  virtual void write(const LogEntry& entry) = 0;
};

// Always five letters; "XXXXX" for a level that has no name.
QString logLevelName(int level);

// The line without its line end; the file line carries the date, the console line not.
QString formatLogLine(const LogEntry& entry, bool withDate);

class LogAppenderConsole : public ILogAppender {
 public:
  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

 private:
  QMutex mutex_;
  QString buffer_;
};

class LogAppenderFile : public ILogAppender {
 public:
  static constexpr qint64 kDefaultSizeLimit = 10000000;

  // An empty path means logs/build_system.log under the program's directory.
  explicit LogAppenderFile(qint64 sizeLimit = kDefaultSizeLimit, const QString& path = QString());
  ~LogAppenderFile() override;

  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

  static QString getLogFilePath();

 private:
  bool ensureOpen();
  void truncateWhenFull();
  void writeText(const QString& text);

  QMutex mutex_;
  QString buffer_;
  QFile file_;
  qint64 sizeLimit_;
  QString path_;
};

}  // namespace logger
