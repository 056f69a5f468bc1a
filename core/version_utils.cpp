#include "core/version_utils.h"

namespace {

// Taken while the program loads, before main; the function keeps its first value.
const QDateTime kTouchStartTime = programStartTime();

QChar versionSeparator(const QString& version) {
  for (QChar sep : {QLatin1Char('.'), QLatin1Char(',')}) {
    if (version.indexOf(sep) > 0) return sep;
  }
  return QChar();
}

}  // namespace

QDateTime programStartTime() {
  static const QDateTime start = QDateTime::currentDateTime();
  return start;
}

QString dateStamp(const QDateTime& time) {
  if (!time.isValid()) return QString();
  const QDate date = time.date();
  return QString::number(date.month()) + QString::number(date.day()).rightJustified(2, QLatin1Char('0'));
}

int stampVersion(const QString& version, QString& out) {
  const QString stamp = dateStamp(programStartTime());
  const QChar sep = versionSeparator(version);
  if (sep.isNull()) {
    out = version + QLatin1Char('.') + stamp;
    return 0;
  }
  QString result;
  int parts = 0;
  for (const QStringRef& part : version.splitRef(sep, Qt::SkipEmptyParts)) {
    if (parts++ == 3) break;
    result += part;
    result += sep;
  }
  out = result + stamp;
  return 0;
}
