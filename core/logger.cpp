#include "core/logger.h"

#include "core/log_appenders.h"
#include "platform/process_ids.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

namespace logger {

namespace {

QMutex& singletonMutex() {
  static QMutex mutex;
  return mutex;
}

std::atomic<LogManager*> g_instance{nullptr};

// A sealed log drops every statement; g_writing counts those under way, so that the seal
// can wait for them. Incremented before the seal is read, and the seal set before the
// count is read: one of the two sides sees the other.
std::atomic<bool> g_sealed{false};
std::atomic<int> g_writing{0};

struct Writing {
  Writing() { g_writing.fetch_add(1); }
  ~Writing() { g_writing.fetch_sub(1); }
  Writing(const Writing&) = delete;
  Writing& operator=(const Writing&) = delete;
};

}  // namespace

LogManager* LogManager::instance() {
  LogManager* m = g_instance.load(std::memory_order_acquire);
  if (m) return m;
  QMutexLocker lock(&singletonMutex());
  m = g_instance.load(std::memory_order_relaxed);
  if (!m) {
    m = new LogManager;
    g_instance.store(m, std::memory_order_release);
  }
  return m;
}

LogManager::LogManager() { appenders_.reserve(kMaxAppenders); }

LogManager::~LogManager() {
  for (ILogAppender* a : appenders_) delete a;
}

void LogManager::addRef() {
  QMutexLocker lock(&singletonMutex());
  if (g_instance.load(std::memory_order_relaxed)) ++refCount_;
}

void LogManager::release() {
  QMutexLocker lock(&singletonMutex());
  LogManager* m = g_instance.load(std::memory_order_relaxed);
  if (!m) return;
  if (m->refCount_ != 0) --m->refCount_;
  if (m->refCount_ == 0) {
    g_instance.store(nullptr, std::memory_order_release);
    delete m;
  }
}

// Appenders are only ever added, into room reserved at the start, so those counted stay
// where they are: each one is called without the manager's lock, and one that waits (a
// log file that another run holds) waits under no lock but its own.
ILogAppender* const* LogManager::appendersNow(std::size_t& count) const {
  QMutexLocker lock(&appendersMutex_);
  count = appenders_.size();
  return appenders_.data();
}

void LogManager::writeRaw(const QString& text) {
  const Writing writing;
  if (g_sealed.load()) return;
  std::size_t count = 0;
  ILogAppender* const* list = appendersNow(count);
  for (std::size_t i = 0; i < count; ++i) list[i]->writeRaw(text);
}

void LogManager::write(const LogEntry& entry) {
  const Writing writing;
  if (g_sealed.load()) return;
  std::size_t count = 0;
  ILogAppender* const* list = appendersNow(count);
  for (std::size_t i = 0; i < count; ++i) list[i]->write(entry);
}

std::uint64_t LogManager::filterMask() const {
  QMutexLocker lock(&filterMutex_);
  return filterMask_;
}

void LogManager::setFilter(std::uint64_t bit) {
  QMutexLocker lock(&filterMutex_);
  filterMask_ |= bit;
}

void LogManager::clearFilter(std::uint64_t bit) {
  QMutexLocker lock(&filterMutex_);
  filterMask_ &= ~bit;
}

void LogManager::addAppender(ILogAppender* appender) {
  if (!appender) return;
  QMutexLocker lock(&appendersMutex_);
  if (static_cast<int>(appenders_.size()) < kMaxAppenders) {
    appenders_.push_back(appender);
  } else {
    delete appender;
  }
}

int LogManager::appenderCount() const {
  QMutexLocker lock(&appendersMutex_);
  return static_cast<int>(appenders_.size());
}

void sealLog(int waitMs) {
  g_sealed.store(true);
  QElapsedTimer waited;
  waited.start();
  // A console write under way is itself bounded once a stop has come.
  while (g_writing.load() != 0 && waited.elapsed() < waitMs) QThread::usleep(500);
}

LogClient::LogClient(ILogManagerBase* manager, int level, const QString& tag)
    : manager_(manager), stream_(&entry_.text, QIODevice::ReadWrite), raw_(false) {
  if (manager_) manager_->addRef();
  entry_.level = level;
  entry_.tag = tag;
  entry_.processId = platform::currentProcessId();
  entry_.threadId = platform::currentThreadId();
}

LogClient::LogClient(ILogManagerBase* manager)
    : manager_(manager), stream_(&entry_.text, QIODevice::ReadWrite), raw_(true) {
  if (manager_) manager_->addRef();
}

LogClient::~LogClient() {
  stream_.flush();
  dispatch();
  if (manager_) manager_->release();
}

void LogClient::flush() {
  stream_.flush();
  dispatch();
}

void LogClient::dispatch() {
  if (!manager_ || entry_.text.isEmpty()) return;
  if (raw_) {
    manager_->writeRaw(entry_.text);
  } else {
    entry_.time = QDateTime::currentMSecsSinceEpoch();
    manager_->write(entry_);
  }
  entry_.text.clear();
  stream_.seek(0);
}

LogClient& LogClient::operator<<(const void* p) { return put(p); }
LogClient& LogClient::operator<<(const char* s) { return put(s); }
// By length, so that a NUL byte does not cut the text.
LogClient& LogClient::operator<<(const QByteArray& b) { return put(QString::fromUtf8(b.constData(), b.size())); }
LogClient& LogClient::operator<<(QLatin1String s) { return put(s); }
LogClient& LogClient::operator<<(double v) { return put(v); }
LogClient& LogClient::operator<<(unsigned long long v) { return put(static_cast<qulonglong>(v)); }
LogClient& LogClient::operator<<(long long v) { return put(static_cast<qlonglong>(v)); }
LogClient& LogClient::operator<<(unsigned long v) { return put(static_cast<qulonglong>(v)); }
LogClient& LogClient::operator<<(long v) { return put(static_cast<qlonglong>(v)); }
LogClient& LogClient::operator<<(unsigned int v) { return put(v); }
LogClient& LogClient::operator<<(int v) { return put(v); }
LogClient& LogClient::operator<<(unsigned short v) { return put(v); }
LogClient& LogClient::operator<<(char c) { return put(QChar::fromLatin1(c)); }
LogClient& LogClient::operator<<(const QString& s) { return put(s); }
LogClient& LogClient::operator<<(float v) { return put(v); }
LogClient& LogClient::operator<<(short v) { return put(v); }
LogClient& LogClient::operator<<(QChar c) { return put(c); }

LogClient logError(ILogManagerBase* manager, const QString& tag) { return LogClient(manager, LogError, tag); }
LogClient logWarning(ILogManagerBase* manager, const QString& tag) { return LogClient(manager, LogWarning, tag); }
LogClient logInfo(ILogManagerBase* manager, const QString& tag) { return LogClient(manager, LogInfo, tag); }
LogClient logDebug(ILogManagerBase* manager, const QString& tag) { return LogClient(manager, LogDebug, tag); }
LogClient logTrace(ILogManagerBase* manager, const QString& tag) { return LogClient(manager, LogTrace, tag); }
LogClient makeRawLogClient(ILogManagerBase* manager) { return LogClient(manager); }

}  // namespace logger
