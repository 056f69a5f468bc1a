#pragma once

#include <QMutex>
#include <QtGlobal>

#include <functional>

namespace logger {

// Decimal, padded on the left with '0' to the width; a longer number is written whole and
// a sign counts as a digit (the padding of the log line header). Returns the end.
char* writePadded(char* out, quint64 value, int width, bool negative = false);
char* writePadded(char* out, qint64 value, int width);

// The local date and time of log lines, "yyyy/MM/dd hh:mm:ss:zzz". The offset to UTC is
// asked of the system at most once per second of log time (so a change of daylight-saving
// time shows from the next second on), and the text of the last time asked for is kept,
// so the appenders of one statement share one conversion and get the same text.
class LoggerClock {
 public:
  // Seconds east of UTC in effect at an instant given in ms since the epoch.
  using UtcOffsetSource = std::function<int(qint64 msecs)>;
  // The local time zone of the system, as Qt sees it.
  static int systemUtcOffset(qint64 msecs);

  struct Text {
    // "[" is not part of it; the console line starts at timeOffset.
    char chars[48];
    int size = 0;
    int timeOffset = 0;  // where the time starts, after the date and its blank

    const char* time() const { return chars + timeOffset; }
    int timeSize() const { return size - timeOffset; }
  };

  explicit LoggerClock(UtcOffsetSource source = &systemUtcOffset);
  LoggerClock(const LoggerClock&) = delete;
  LoggerClock& operator=(const LoggerClock&) = delete;

  // The clock of the appenders that are given none; it lives as long as the process.
  static LoggerClock& shared();

  Text text(qint64 msecs);

 private:
  QMutex mutex_;
  UtcOffsetSource source_;
  bool hasOffset_ = false;
  qint64 offsetSecond_ = 0;  // the second of log time the offset was asked for
  qint64 offsetMsecs_ = 0;
  bool hasText_ = false;
  qint64 textMsecs_ = 0;
  Text text_;
};

}  // namespace logger
