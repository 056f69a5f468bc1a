#include "core/log_appenders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QMutexLocker>
#include <QTextStream>

#include <cstdio>

namespace logger {

namespace {

const QLatin1String kLineEnd("\r\n");

void appendPadded(QString& out, qint64 value, int width) {
  const QString digits = QString::number(value);
  for (int i = digits.size(); i < width; ++i) out += QLatin1Char('0');
  out += digits;
}

void appendPadded(QString& out, quint64 value, int width) {
  const QString digits = QString::number(value);
  for (int i = digits.size(); i < width; ++i) out += QLatin1Char('0');
  out += digits;
}

}  // namespace

QString logLevelName(int level) {
  static const char* const kNames[] = {"OFFFF", "FATAL", "ERROR", "WARNG", "INFRM", "DEBUG", "TRACE"};
  if (level < 0 || level > 6) return QStringLiteral("XXXXX");
  return QLatin1String(kNames[level]);
}

QString formatLogLine(const LogEntry& entry, bool withDate) {
  const QDateTime local = QDateTime::fromMSecsSinceEpoch(entry.time, Qt::LocalTime);
  const QDate d = local.date();
  const QTime t = local.time();
  QString line;
  line.reserve(64 + entry.tag.size() + entry.text.size());
  line += QLatin1Char('[');
  if (withDate) {
    appendPadded(line, qint64(d.year()), 4);
    line += QLatin1Char('/');
    appendPadded(line, qint64(d.month()), 2);
    line += QLatin1Char('/');
    appendPadded(line, qint64(d.day()), 2);
    line += QLatin1Char(' ');
  }
  appendPadded(line, qint64(t.hour()), 2);
  line += QLatin1Char(':');
  appendPadded(line, qint64(t.minute()), 2);
  line += QLatin1Char(':');
  appendPadded(line, qint64(t.second()), 2);
  line += QLatin1Char(':');
  appendPadded(line, qint64(t.msec()), 3);
  line += QLatin1String("] [");
  line += logLevelName(entry.level);
  line += QLatin1String("] [");
  appendPadded(line, entry.processId, 4);
  line += QLatin1String("] [");
  appendPadded(line, entry.threadId, 4);
  line += QLatin1String("] [");
  line += entry.tag;
  line += QLatin1String("] ");
  line += entry.text;
  return line;
}

void LogAppenderConsole::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
  std::fflush(stdout);
}

void LogAppenderConsole::write(const LogEntry& entry) {
  QMutexLocker lock(&mutex_);
  buffer_ = formatLogLine(entry, false);
  buffer_ += kLineEnd;
  const QByteArray bytes = buffer_.toUtf8();
  // One line at a time, so that the log interleaves rightly with child processes
  // that write to the same console.
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
  std::fflush(stdout);
  buffer_.clear();
}

LogAppenderFile::LogAppenderFile(qint64 sizeLimit, const QString& path)
    : sizeLimit_(sizeLimit), path_(path) {}

LogAppenderFile::~LogAppenderFile() {
  if (file_.isOpen()) file_.close();
}

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
  file_.setFileName(path);
  return file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void LogAppenderFile::truncateWhenFull() {
  if (file_.size() > sizeLimit_) {
    file_.resize(0);
    file_.seek(0);
  }
}

void LogAppenderFile::writeText(const QString& text) {
  // UTF-8 like the console: a locale without one would turn text into '?'.
  QTextStream out(&file_);
  out.setCodec("UTF-8");
  out << text;
}

void LogAppenderFile::write(const LogEntry& entry) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen()) return;
  truncateWhenFull();
  buffer_ = formatLogLine(entry, true);
  buffer_ += kLineEnd;
  writeText(buffer_);
  buffer_.clear();
}

void LogAppenderFile::writeRaw(const QString& text) {
  QMutexLocker lock(&mutex_);
  if (!ensureOpen()) return;
  truncateWhenFull();
  writeText(text);
}

}  // namespace logger
