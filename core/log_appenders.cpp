#include "core/log_appenders.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutexLocker>

#include <cstdio>

namespace logger {

namespace {

constexpr int kLineEndSize = 2;  // "\r\n"
constexpr int kBufferReserve = 512;
// How much a run writes before it reads the file's size again, for what other runs wrote.
constexpr qint64 kSizeCheckBytes = 64 * 1024;

const char* const kLevelNames[] = {"OFFFF", "FATAL", "ERROR", "WARNG", "INFRM", "DEBUG", "TRACE"};

const char* levelName(int level) { return level < 0 || level > 6 ? "XXXXX" : kLevelNames[level]; }

// "[time] [LEVEL] [pid] [tid] [tag] text" in UTF-8, appended to the buffer.
void appendLogLine(QByteArray& out, const LogEntry& entry, bool withDate, LoggerClock& clock) {
  const LoggerClock::Text time = clock.text(entry.time);
  char header[128];  // the time (under 48), five letters and two ids of at most 20 digits
  char* p = header;
  auto put = [&p](const char* s) {
    while (*s) *p++ = *s++;
  };
  *p++ = '[';
  for (const char* t = withDate ? time.chars : time.time(); t != time.chars + time.size; ++t) *p++ = *t;
  put("] [");
  put(levelName(entry.level));
  put("] [");
  p = writePadded(p, entry.processId, 4);
  put("] [");
  p = writePadded(p, entry.threadId, 4);
  put("] [");
  out.append(header, static_cast<int>(p - header));
  out.append(entry.tag.toUtf8());
  out.append("] ", 2);
  out.append(entry.text.toUtf8());
}

LoggerClock& clockOrShared(LoggerClock* clock) { return clock ? *clock : LoggerClock::shared(); }

// Keeps its capacity, so the buffer is allocated once.
void emptyBuffer(QByteArray& buffer) {
  if (buffer.capacity() < kBufferReserve) buffer.reserve(kBufferReserve);
  buffer.resize(0);
}

}  // namespace

QString logLevelName(int level) { return QLatin1String(levelName(level)); }

QByteArray formatLogLine(const LogEntry& entry, bool withDate, LoggerClock* clock) {
  QByteArray line;
  appendLogLine(line, entry, withDate, clockOrShared(clock));
  return line;
}

LogAppenderConsole::LogAppenderConsole(LoggerClock* clock) : clock_(&clockOrShared(clock)) {}

void LogAppenderConsole::writeBuffer() {
  // Unbuffered: each write goes straight to the descriptor, so the line is out before a
  // child process that shares the console writes its own.
  if (!out_.isOpen() && !out_.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
  (void)out_.write(buffer_);  // best-effort: a console that is gone takes no log
}

void LogAppenderConsole::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  emptyBuffer(buffer_);
  buffer_.append(text.toUtf8());
  writeBuffer();
}

void LogAppenderConsole::write(const LogEntry& entry) {
  QMutexLocker lock(&mutex_);
  emptyBuffer(buffer_);
  appendLogLine(buffer_, entry, false, *clock_);
  buffer_.append("\r\n", kLineEndSize);
  writeBuffer();
}

LogAppenderFile::LogAppenderFile(qint64 sizeLimit, const QString& path, LoggerClock* clock)
    : sizeLimit_(sizeLimit), path_(path), clock_(&clockOrShared(clock)) {}

LogAppenderFile::~LogAppenderFile() { file_.close(); }

QString LogAppenderFile::getLogFilePath() {
  const QString appDir = QCoreApplication::applicationDirPath();
  if (appDir.isEmpty()) return QString();
  const QString logDir = QDir::cleanPath(appDir + QLatin1String("/logs"));
  if (!QDir(logDir).exists() && !QDir().mkpath(logDir)) return QString();
  return logDir + QLatin1String("/build_system.log");
}

bool LogAppenderFile::ensureOpen() {
  if (file_.isOpen()) return true;
  const QString path = path_.isEmpty() ? getLogFilePath() : path_;
  if (path.isEmpty()) return false;
  if (file_.open(path) != 0) return false;
  size_ = 0;
  checkAt_ = 0;
  return true;
}

void LogAppenderFile::truncateWhenFull() {
  if (size_ <= checkAt_) return;
  const qint64 now = file_.size();
  if (now >= 0) size_ = now;
  if (size_ > sizeLimit_ && file_.emptyWhenAlone()) size_ = 0;
  // Alone, the limit is met to the byte; a file that another run keeps full is looked at
  // again only after a while, not before every line.
  checkAt_ = size_ + kSizeCheckBytes;
  if (size_ <= sizeLimit_) checkAt_ = qMin(checkAt_, sizeLimit_);
}

void LogAppenderFile::writeBuffer() {
  if (file_.append(buffer_.constData(), static_cast<std::size_t>(buffer_.size())) == 0) size_ += buffer_.size();
}

void LogAppenderFile::write(const LogEntry& entry) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen()) return;
  truncateWhenFull();
  emptyBuffer(buffer_);
  appendLogLine(buffer_, entry, true, *clock_);
  buffer_.append("\r\n", kLineEndSize);
  writeBuffer();
}

void LogAppenderFile::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen()) return;
  truncateWhenFull();
  emptyBuffer(buffer_);
  buffer_.append(text.toUtf8());
  writeBuffer();
}

}  // namespace logger
