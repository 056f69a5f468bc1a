#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QLocale>
#include <QMutex>
#include <QString>
#include <QTextStream>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace logger {

enum LogLevel : int {
  LogOff = 0,
  LogFatal = 1,
  LogError = 2,
  LogWarning = 3,
  LogInfo = 4,
  LogDebug = 5,
  LogTrace = 6,
};

enum LogFilter : std::uint64_t {
  FilterCopyFiles = 2,
  FilterTaskManager = 4,
  FilterTaskDetails = 8,
  FilterTaskBuild = 16,
  FilterTaskCopy = 32,
};

struct LogEntry {
  qint64 time = 0;  // ms since the epoch, UTC
  quint64 processId = 0;
  quint64 threadId = 0;
  qint32 level = LogTrace;
  QString tag;
  QString text;
};

class ILogAppender;

class ILogManagerBase {
 public:
  virtual ~ILogManagerBase() = default;
  virtual void addRef() = 0;
  virtual void release() = 0;
  virtual void writeRaw(const QString& text) = 0;
  virtual void write(const LogEntry& entry) = 0;
};

class LogManager : public ILogManagerBase {
 public:
  static constexpr int kMaxAppenders = 100;

  // The process-wide manager, created on first use.
  static LogManager* instance();

  void addRef() override;
  void release() override;
  void writeRaw(const QString& text) override;
  void write(const LogEntry& entry) override;

  int level() const { return level_.load(std::memory_order_relaxed); }
  void setLevel(int level) { level_.store(level, std::memory_order_relaxed); }

  std::uint64_t filterMask() const;
  void setFilter(std::uint64_t bit);
  void clearFilter(std::uint64_t bit);

  // Takes ownership; ignored once kMaxAppenders are registered.
  void addAppender(ILogAppender* appender);
  int appenderCount() const;

  // The manager when a statement of this level (and category, when not 0)
  // would be written, else null. This is the test every statement site makes.
  static LogManager* enabledFor(int level) {
    LogManager* m = instance();
    if (!m) return nullptr;
    const int current = m->level();
    return (current != 0 && current >= level) ? m : nullptr;
  }
  static LogManager* enabledFor(int level, std::uint64_t category) {
    LogManager* m = enabledFor(level);
    if (!m) return nullptr;
    const std::uint64_t mask = m->filterMask();
    return (mask != 0 && (mask & category) != 0) ? m : nullptr;
  }

 private:
  LogManager();
  ~LogManager() override;
  LogManager(const LogManager&) = delete;
  LogManager& operator=(const LogManager&) = delete;

  ILogAppender* const* appendersNow(std::size_t& count) const;

  mutable QMutex filterMutex_{QMutex::Recursive};
  quint64 refCount_ = 0;
  std::atomic<int> level_{LogTrace};
  mutable QMutex appendersMutex_;
  std::vector<ILogAppender*> appenders_;
  std::uint64_t filterMask_ = 0;
};

class ILogClientBase {
 public:
  virtual ~ILogClientBase() = default;
  virtual bool isValid() const = 0;
  virtual ILogClientBase& operator<<(const void* p) = 0;
  virtual ILogClientBase& operator<<(const char* s) = 0;
  virtual ILogClientBase& operator<<(const QByteArray& b) = 0;
  virtual ILogClientBase& operator<<(QLatin1String s) = 0;
  virtual ILogClientBase& operator<<(double v) = 0;
  virtual ILogClientBase& operator<<(unsigned long long v) = 0;
  virtual ILogClientBase& operator<<(long long v) = 0;
  virtual ILogClientBase& operator<<(unsigned long v) = 0;
  virtual ILogClientBase& operator<<(long v) = 0;
  virtual ILogClientBase& operator<<(unsigned int v) = 0;
  virtual ILogClientBase& operator<<(int v) = 0;
  virtual ILogClientBase& operator<<(unsigned short v) = 0;
  virtual ILogClientBase& operator<<(char c) = 0;
  virtual ILogClientBase& operator<<(const QString& s) = 0;
  virtual ILogClientBase& operator<<(float v) = 0;
  virtual ILogClientBase& operator<<(short v) = 0;
  virtual ILogClientBase& operator<<(QChar c) = 0;
  virtual QTextStream::FieldAlignment fieldAlignment() const = 0;
  virtual int fieldWidth() const = 0;
  virtual int integerBase() const = 0;
  virtual QLocale locale() const = 0;
  virtual QTextStream::NumberFlags numberFlags() const = 0;
  virtual QChar padChar() const = 0;
  virtual QTextStream::RealNumberNotation realNumberNotation() const = 0;
  virtual int realNumberPrecision() const = 0;
  virtual void setFieldAlignment(QTextStream::FieldAlignment mode) = 0;
  virtual void setFieldWidth(int width) = 0;
  virtual void setIntegerBase(int base) = 0;
  virtual void setLocale(const QLocale& locale) = 0;
  virtual void setNumberFlags(QTextStream::NumberFlags flags) = 0;
  virtual void setPadChar(QChar ch) = 0;
  virtual void setRealNumberNotation(QTextStream::RealNumberNotation notation) = 0;
  virtual void setRealNumberPrecision(int precision) = 0;
  virtual void flush() = 0;
};

// One statement: streamed into, dispatched when flushed or destroyed.
class LogClient : public ILogClientBase {
 public:
  LogClient(ILogManagerBase* manager, int level, const QString& tag);
  // Raw form: the text is passed on as it is, without a line header.
  explicit LogClient(ILogManagerBase* manager);
  ~LogClient() override;
  LogClient(const LogClient&) = delete;
  LogClient& operator=(const LogClient&) = delete;

  bool isValid() const override { return manager_ != nullptr; }
  LogClient& operator<<(const void* p) override;
  LogClient& operator<<(const char* s) override;
  LogClient& operator<<(const QByteArray& b) override;
  LogClient& operator<<(QLatin1String s) override;
  LogClient& operator<<(double v) override;
  LogClient& operator<<(unsigned long long v) override;
  LogClient& operator<<(long long v) override;
  LogClient& operator<<(unsigned long v) override;
  LogClient& operator<<(long v) override;
  LogClient& operator<<(unsigned int v) override;
  LogClient& operator<<(int v) override;
  LogClient& operator<<(unsigned short v) override;
  LogClient& operator<<(char c) override;
  LogClient& operator<<(const QString& s) override;
  LogClient& operator<<(float v) override;
  LogClient& operator<<(short v) override;
  LogClient& operator<<(QChar c) override;
  QTextStream::FieldAlignment fieldAlignment() const override { return stream_.fieldAlignment(); }
  int fieldWidth() const override { return stream_.fieldWidth(); }
  int integerBase() const override { return stream_.integerBase(); }
  QLocale locale() const override { return stream_.locale(); }
  QTextStream::NumberFlags numberFlags() const override { return stream_.numberFlags(); }
  QChar padChar() const override { return stream_.padChar(); }
  QTextStream::RealNumberNotation realNumberNotation() const override { return stream_.realNumberNotation(); }
  int realNumberPrecision() const override { return stream_.realNumberPrecision(); }
  void setFieldAlignment(QTextStream::FieldAlignment mode) override { stream_.setFieldAlignment(mode); }
  void setFieldWidth(int width) override { stream_.setFieldWidth(width); }
  void setIntegerBase(int base) override { stream_.setIntegerBase(base); }
  void setLocale(const QLocale& locale) override { stream_.setLocale(locale); }
  void setNumberFlags(QTextStream::NumberFlags flags) override { stream_.setNumberFlags(flags); }
  void setPadChar(QChar ch) override { stream_.setPadChar(ch); }
  void setRealNumberNotation(QTextStream::RealNumberNotation n) override { stream_.setRealNumberNotation(n); }
  void setRealNumberPrecision(int precision) override { stream_.setRealNumberPrecision(precision); }
  void flush() override;

  // Lets a statement take any type that has a QTextStream output, such as qint64.
  template <typename T>
  LogClient& put(const T& value) {
    stream_ << value;
    return *this;
  }

 private:
  void dispatch();

  ILogManagerBase* manager_;
  LogEntry entry_;
  QTextStream stream_;
  bool raw_;
};

// Ends the log for good: every statement from now on is dropped. Waits up to waitMs for
// the statements being written to be out. For the last line of a run ended at once.
void sealLog(int waitMs);

LogClient logError(ILogManagerBase* manager, const QString& tag);
LogClient logWarning(ILogManagerBase* manager, const QString& tag);
LogClient logInfo(ILogManagerBase* manager, const QString& tag);
LogClient logDebug(ILogManagerBase* manager, const QString& tag);
LogClient logTrace(ILogManagerBase* manager, const QString& tag);
LogClient makeRawLogClient(ILogManagerBase* manager);

}  // namespace logger

// Statement macros: the level (and category) test runs before anything is built,
// so a dropped statement costs a load and a compare.
//   VLOG_ERROR("Mgr") << "Failed to open file: '" << path << "'";
#define VLOG_AT(level, tag)                                                              \
  for (::logger::LogManager* vlog_m_ = ::logger::LogManager::enabledFor(level); vlog_m_; \
       vlog_m_ = nullptr)                                                                \
  ::logger::LogClient(vlog_m_, level, tag)
#define VLOG_CAT(level, category, tag)                                                  \
  for (::logger::LogManager* vlog_m_ = ::logger::LogManager::enabledFor(level, category); \
       vlog_m_; vlog_m_ = nullptr)                                                      \
  ::logger::LogClient(vlog_m_, level, tag)

#define VLOG_FATAL(tag) VLOG_AT(::logger::LogFatal, tag)
#define VLOG_ERROR(tag) VLOG_AT(::logger::LogError, tag)
#define VLOG_WARNING(tag) VLOG_AT(::logger::LogWarning, tag)
#define VLOG_INFO(tag) VLOG_AT(::logger::LogInfo, tag)
#define VLOG_DEBUG(tag) VLOG_AT(::logger::LogDebug, tag)
#define VLOG_TRACE(tag) VLOG_AT(::logger::LogTrace, tag)
