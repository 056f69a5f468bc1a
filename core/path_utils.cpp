#include "core/path_utils.h"

#include <QFileInfo>

QString fileSystemPath(const QString& path) {
  QString out = path;
  out.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return out;
}

void toNativeSeparators(QString& path) {
#if defined(Q_OS_WIN)
  path.replace(QLatin1Char('/'), kNativeSeparator);
#else
  path.replace(QLatin1Char('\\'), kNativeSeparator);
#endif
}

Qt::CaseSensitivity pathCaseSensitivity() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return Qt::CaseInsensitive;
#else
  return Qt::CaseSensitive;
#endif
}

bool samePath(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  const Qt::CaseSensitivity cs = pathCaseSensitivity();
  for (int i = 0; i < a.size(); ++i) {
    const QChar x = a[i], y = b[i];
    if (x == y || (isPathSeparator(x) && isPathSeparator(y))) continue;
    if (cs == Qt::CaseSensitive || x.toCaseFolded() != y.toCaseFolded()) return false;
  }
  return true;
}

bool isAbsolutePath(const QString& path) {
  if (path.isEmpty()) return false;
  if (isPathSeparator(path[0])) return true;
#if defined(Q_OS_WIN)
  return path.size() >= 3 && path[0].isLetter() && path[1] == QLatin1Char(':') &&
         isPathSeparator(path[2]);
#else
  return false;
#endif
}

void normalizeTrailingSeparator(QString& path) {
  const int n = path.size();
  if (n == 0) return;
  int first = n;  // start of the trailing run of separators
  while (first > 0 && isPathSeparator(path[first - 1])) --first;
  if (first == n) {
    path.append(kNativeSeparator);
  } else if (n - first > 1) {
    path.truncate(first + 1);
  }
}

QString& combinePath(QString& base, const QString& tail) {
  normalizeTrailingSeparator(base);
  int from = 0;
  while (from < tail.size() && isPathSeparator(tail[from])) ++from;
  if (from < tail.size()) base.append(tail.constData() + from, tail.size() - from);
  return base;
}

QString makeAbsolutePath(const QString& base, const QString& path) {
  if (isAbsolutePath(path)) return path;
  QString out;
  out.reserve(base.size() + path.size() + 1);
  out = base;
  return combinePath(out, path);
}

QString absoluteDirPath(const QString& path) {
  if (path.isEmpty()) return QString();
  return QFileInfo(fileSystemPath(path)).absolutePath();
}

QString parentDirOf(const QString& path) {
  int end = path.size();
  while (end > 0 && isPathSeparator(path[end - 1])) --end;
  int cut = end;
  while (cut > 0 && !isPathSeparator(path[cut - 1])) --cut;
  if (cut == 0) return QString();
  // The root keeps its separator: the parent of "/a" is "/", not nothing.
  if (cut == 1) return path.left(1);
  QString out = path.left(cut - 1);
  if (!isPathSeparator(out.back())) out.append(kNativeSeparator);
  return out;
}

void addNamePrefix(const QString& prefix, QString& path) {
  if (prefix.isEmpty() || path.isEmpty()) return;
  int at = path.size();
  while (at > 0 && !isPathSeparator(path[at - 1])) --at;
  path.insert(at, prefix);
}

void addNameSuffix(const QString& suffix, QString& path) {
  if (suffix.isEmpty() || path.isEmpty()) return;
  const int dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot < 0) {
    path.append(suffix);
  } else {
    path.insert(dot, suffix);
  }
}
