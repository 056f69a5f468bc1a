#pragma once

#include "core/log_appenders.h"
#include "core/logger.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

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

// The state letter of /proc/<pid>/stat (R or S while alive, Z ended), empty when gone.
inline QString processState(const QString& pid) {
  QFile f("/proc/" + pid.trimmed() + "/stat");
  if (!f.open(QIODevice::ReadOnly)) return QString();
  const QString stat = QString::fromLatin1(f.readAll());
  return stat.mid(stat.lastIndexOf(')') + 2, 1);
}

// Whether the process has ended (gone, or a zombie that no one reaps), looking again in
// short steps for up to timeoutMs: its end may still be on its way.
inline bool processEnds(const QString& pid, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    const QString state = processState(pid);
    if (state.isEmpty() || state == QLatin1String("Z")) return true;
    if (timer.elapsed() >= timeoutMs) return false;
    QThread::msleep(20);
  }
}

// Whether some process waits for a lock of the file (a line "-> OFDLCK" of /proc/locks
// that names its inode), looking again in short steps for up to timeoutMs.
inline bool someoneWaitsForLock(const QString& path, int timeoutMs) {
  QProcess stat;
  stat.start(QStringLiteral("stat"), {"-L", "-c", "%i", path});
  if (!stat.waitForFinished(timeoutMs) || stat.exitCode() != 0) return false;
  const QByteArray inode = ':' + stat.readAllStandardOutput().trimmed() + ' ';
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : locks.readAll().split('\n'))
      if (line.contains("-> OFDLCK") && line.contains(inode)) return true;
    if (timer.elapsed() >= timeoutMs) return false;
    QThread::msleep(20);
  }
}

// Whether this process ignores the signal (its children then start ignoring it too).
inline bool ignoresSignal(int number) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("SigIgn:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (number - 1)) & 1u;
  return false;
}

// Whether /dev/full is there and refuses every write, as a full disk does.
inline bool haveFullDevice() {
  QFile full(QStringLiteral("/dev/full"));
  return full.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && full.write("x", 1) == -1;
}

// A named pipe, made by the real tool.
inline bool makeFifo(const QString& path) { return QProcess::execute("mkfifo", {path}) == 0; }

// Writes text into a named pipe from a child process, which blocks until a reader opens it.
inline void startFifoWriter(QProcess& writer, const QString& fifo, const QByteArray& text) {
  writer.start("sh", {"-c", "printf '%s' \"$1\" > \"$2\"", "sh", QString::fromUtf8(text), fifo});
  writer.waitForStarted();
}

// Where the sources keep the fixtures of hostile input.
inline QString hostileFixture(const char* name) {
  return QStringLiteral(VARKEL_TEST_DATA_DIR "/hostile/") + QLatin1String(name);
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
