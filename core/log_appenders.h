#pragma once

#include "core/logger.h"
#include "core/logger_clock.h"

#include <QByteArray>
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

// The line in UTF-8 without its line end; the file line carries the date, the console
// line not. The time is the clock's (the shared clock when none is given).
QByteArray formatLogLine(const LogEntry& entry, bool withDate, LoggerClock* clock = nullptr);

// Both appenders write each statement with one call to the system, from a device they
// keep open, before the call returns: nothing waits in a buffer, so the console keeps
// its order with the output of child processes and a crash loses no logged line.

class LogAppenderConsole : public ILogAppender {
 public:
  explicit LogAppenderConsole(LoggerClock* clock = nullptr);

  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

 private:
  void writeBuffer();

  QMutex mutex_;
  QByteArray buffer_;
  QFile out_;  // standard output, opened at the first write
  LoggerClock* clock_;
};

class LogAppenderFile : public ILogAppender {
 public:
  static constexpr qint64 kDefaultSizeLimit = 10000000;

  // An empty path means logs/build_system.log under the program's directory.
  explicit LogAppenderFile(qint64 sizeLimit = kDefaultSizeLimit, const QString& path = QString(),
                           LoggerClock* clock = nullptr);
  ~LogAppenderFile() override;

  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

  static QString getLogFilePath();

 private:
  bool ensureOpen();
  void truncateWhenFull();
  void writeBuffer();

  QMutex mutex_;
  QByteArray buffer_;
  QFile file_;
  qint64 sizeLimit_;
  QString path_;
  qint64 size_ = 0;  // of the open file: read when it is opened, grown by each write
  LoggerClock* clock_;
};

}  // namespace logger
