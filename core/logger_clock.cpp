#include "core/logger_clock.h"

#include <QDate>
#include <QDateTime>
#include <QMutexLocker>

#include <utility>

namespace logger {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;
constexpr qint64 kJulianDayOfEpoch = 2440588;  // 1970-01-01

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

char* writePadded(char* out, quint64 value, int width, bool negative) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (negative) digits[n++] = '-';
  for (int i = n; i < width; ++i) *out++ = '0';
  while (n > 0) *out++ = digits[--n];
  return out;
}

char* writePadded(char* out, qint64 value, int width) {
  const bool negative = value < 0;
  return writePadded(out, negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value), width, negative);
}

int LoggerClock::systemUtcOffset(qint64 msecs) {
  return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime).offsetFromUtc();
}

LoggerClock::LoggerClock(UtcOffsetSource source) : source_(std::move(source)) {}

LoggerClock& LoggerClock::shared() {
  // Never destroyed: a statement logged while the process winds down still finds it.
  static LoggerClock* clock = new LoggerClock;
  return *clock;
}

LoggerClock::Text LoggerClock::text(qint64 msecs) {
  QMutexLocker lock(&mutex_);
  if (hasText_ && msecs == textMsecs_) return text_;
  const qint64 second = floorDiv(msecs, 1000);
  if (!hasOffset_ || second != offsetSecond_) {
    offsetMsecs_ = qint64(source_(msecs)) * 1000;
    offsetSecond_ = second;
    hasOffset_ = true;
  }
  // The day and the time of day first, then the offset: no sum can leave the range.
  qint64 days = floorDiv(msecs, kMsecsPerDay);
  qint64 ofDay = msecs - days * kMsecsPerDay + offsetMsecs_;
  const qint64 carry = floorDiv(ofDay, kMsecsPerDay);
  days += carry;
  ofDay -= carry * kMsecsPerDay;
  int year = 0;
  int month = 0;
  int day = 0;
  QDate::fromJulianDay(kJulianDayOfEpoch + days).getDate(&year, &month, &day);

  char* p = text_.chars;
  p = writePadded(p, qint64(year), 4);
  *p++ = '/';
  p = writePadded(p, qint64(month), 2);
  *p++ = '/';
  p = writePadded(p, qint64(day), 2);
  *p++ = ' ';
  text_.timeOffset = static_cast<int>(p - text_.chars);
  p = writePadded(p, ofDay / 3600000, 2);
  *p++ = ':';
  p = writePadded(p, ofDay / 60000 % 60, 2);
  *p++ = ':';
  p = writePadded(p, ofDay / 1000 % 60, 2);
  *p++ = ':';
  p = writePadded(p, ofDay % 1000, 3);
  text_.size = static_cast<int>(p - text_.chars);
  textMsecs_ = msecs;
  hasText_ = true;
  return text_;
}

}  // namespace logger
