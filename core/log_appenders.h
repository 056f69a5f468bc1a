#pragma once

#include "core/logger.h"
#include "core/logger_clock.h"
#include "platform/shared_log_file.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QWaitCondition>

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

// For a thread that must not wait on the logger's locks, at the end of a run ended at
// once: seals the log (sealLog), then writes the line straight to the program's log file,
// in the file's line format, and to the console only as far as it takes it at once.
void writeLastLine(int level, const QString& tag, const QString& text);

// Both appenders write each statement with one call to the system, from a device they
// keep open, before the call returns: nothing waits in a buffer, so the console keeps
// its order with the output of child processes and a crash loses no logged line.

// A console that refuses a line (its reader has gone) gets no more lines for the rest of
// the run; nothing is said about it, as there is no one to say it to.

class LogAppenderConsole : public ILogAppender {
 public:
  explicit LogAppenderConsole(LoggerClock* clock = nullptr);

  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

 private:
  void writeBuffer();

  QMutex mutex_;
  QByteArray buffer_;
  bool gone_ = false;  // standard output refused a line for good
  LoggerClock* clock_;
};

// Two runs at once keep every line of both: each line goes to the file's end, and the file
// is emptied, when a run opens it or finds it past the size limit, only while no other
// run has it open. The file is opened at the first line, with its mutex let go while the
// open waits for another run (the lines of other threads wait for the open, not for the
// mutex). The first failure to open or write it is told on standard error, with the path
// and the reason; the lines go on to the console.
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
  bool ensureOpen(QMutexLocker& lock);
  void truncateWhenFull();
  void writeBuffer();
  void tellFailure(const char* what, const QString& path, int error);

  QMutex mutex_;
  QByteArray buffer_;
  platform::SharedLogFile file_;  // other runs in the program's directory may write it too
  qint64 sizeLimit_;
  QString path_;
  // Of the open file, at least: grown by each write, read from the file now and then, as
  // other runs may have made it larger.
  qint64 size_ = 0;
  qint64 checkAt_ = 0;  // past this, the file's size is read again
  LoggerClock* clock_;
  bool opening_ = false;  // a thread opens the file, with the mutex let go
  QWaitCondition opened_;
  bool told_ = false;  // a failure was told on standard error
  QString openPath_;
};

}  // namespace logger
