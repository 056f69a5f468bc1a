#include "core/log_appenders.h"

#include "platform/console_output.h"
#include "platform/file_name_codec.h"
#include "platform/file_system.h"
#include "platform/process_ids.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

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
  platform::appendReadableUtf8(out, entry.text);
}

const QLatin1String kLogFileName("/build_system.log");

// logs under the program's directory; empty before the program knows its directory.
QString logDirectory() {
  const QString appDir = QCoreApplication::applicationDirPath();
  return appDir.isEmpty() ? QString() : QDir::cleanPath(appDir + QLatin1String("/logs"));
}

LoggerClock& clockOrShared(LoggerClock* clock) { return clock ? *clock : LoggerClock::shared(); }

// How long the last line waits for the statements being written.
constexpr int kLastLineWaitMs = 300;

// Keeps its capacity, so the buffer is allocated once.
void emptyBuffer(QByteArray& buffer) {
  if (buffer.capacity() < kBufferReserve) buffer.reserve(kBufferReserve);
  buffer.resize(0);
}

}  // namespace

QString logLevelName(int level) { return QLatin1String(levelName(level)); }

void writeLastLine(int level, const QString& tag, const QString& text) {
  if (!LogManager::enabledFor(level)) return;
  sealLog(kLastLineWaitMs);
  LogEntry entry;
  entry.time = QDateTime::currentMSecsSinceEpoch();
  entry.processId = platform::currentProcessId();
  entry.threadId = platform::currentThreadId();
  entry.level = level;
  entry.tag = tag;
  entry.text = text;
  // A clock of its own: the shared one's lock may be held by the thread that is stuck.
  LoggerClock clock;
  const QByteArray fileLine = formatLogLine(entry, true, &clock) + "\r\n";
  (void)platform::SharedLogFile::appendForStop(fileLine.constData(), static_cast<std::size_t>(fileLine.size()));
  const QByteArray consoleLine = formatLogLine(entry, false, &clock) + "\r\n";
  (void)platform::writeStandardOutputAtOnce(consoleLine.constData(), static_cast<std::size_t>(consoleLine.size()));
}

QByteArray formatLogLine(const LogEntry& entry, bool withDate, LoggerClock* clock) {
  QByteArray line;
  appendLogLine(line, entry, withDate, clockOrShared(clock));
  return line;
}

LogAppenderConsole::LogAppenderConsole(LoggerClock* clock) : clock_(&clockOrShared(clock)) {}

void LogAppenderConsole::writeBuffer() {
  // Straight to the descriptor, so the line is out before a child process that shares the
  // console writes its own.
  if (gone_) return;
  const int error = platform::writeStandardOutput(buffer_.constData(), static_cast<std::size_t>(buffer_.size()));
  if (error != 0 && platform::consoleWriteFailsForGood(error)) gone_ = true;
}

void LogAppenderConsole::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  emptyBuffer(buffer_);
  platform::appendReadableUtf8(buffer_, text);
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
  const QString logDir = logDirectory();
  if (logDir.isEmpty() || (!QDir(logDir).exists() && !QDir().mkpath(logDir))) return QString();
  return logDir + kLogFileName;
}

// The open may wait for another run: the mutex is let go meanwhile, and the lines of
// other threads wait for the open here instead.
bool LogAppenderFile::ensureOpen(QMutexLocker& lock) {
  while (opening_) opened_.wait(&mutex_);
  if (file_.isOpen()) return true;
  const QString logDir = path_.isEmpty() ? logDirectory() : QString();
  if (path_.isEmpty() && logDir.isEmpty()) return false;
  const QString path = path_.isEmpty() ? logDir + kLogFileName : path_;
  opening_ = true;
  lock.unlock();
  int error = path_.isEmpty() ? platform::makeDirectory(logDir) : 0;
  if (error == 0) error = file_.open(path);
  lock.relock();
  opening_ = false;
  opened_.wakeAll();
  if (error != 0) {
    tellFailure("cannot be opened", path, error);
    return false;
  }
  openPath_ = path;
  // The program's own log: a run ended at once writes its last line there.
  if (path_.isEmpty()) file_.keepForStopLine();
  size_ = 0;
  checkAt_ = 0;
  return true;
}

// Once a run: a disk that stays full would say it again at every line.
void LogAppenderFile::tellFailure(const char* what, const QString& path, int error) {
  if (told_) return;
  told_ = true;
  const QByteArray text = QByteArrayLiteral("The log file '") + QFile::encodeName(path) + "' " + what + ": " +
                          qt_error_string(error).toUtf8() + ". The run goes on; the console has every line.\n";
  (void)platform::writeStandardError(text.constData(), static_cast<std::size_t>(text.size()));
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
  const int error = file_.append(buffer_.constData(), static_cast<std::size_t>(buffer_.size()));
  if (error == 0)
    size_ += buffer_.size();
  else
    tellFailure("cannot be written", openPath_, error);
}

void LogAppenderFile::write(const LogEntry& entry) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen(lock)) return;
  truncateWhenFull();
  emptyBuffer(buffer_);
  appendLogLine(buffer_, entry, true, *clock_);
  buffer_.append("\r\n", kLineEndSize);
  writeBuffer();
}

void LogAppenderFile::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen(lock)) return;
  truncateWhenFull();
  emptyBuffer(buffer_);
  platform::appendReadableUtf8(buffer_, text);
  writeBuffer();
}

}  // namespace logger
