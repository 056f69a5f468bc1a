#pragma once

#include <QString>

// Path texts: both "\" and "/" are separators on input; an added separator is the
// native one. The only place that knows both rules.

constexpr QChar kNativeSeparator =
#if defined(Q_OS_WIN)
    QLatin1Char('\\');
#else
    QLatin1Char('/');
#endif

inline bool isPathSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

// The form handed to QFile, QDir, QFileInfo and child processes: every "\" is "/".
QString fileSystemPath(const QString& path);

// Every separator becomes the native one.
void toNativeSeparators(QString& path);

// How the file system compares names: exactly here, ignoring case on Windows and macOS.
Qt::CaseSensitivity pathCaseSensitivity();

// Whether two paths name the same place by that rule; "\" and "/" are the same separator.
bool samePath(const QString& a, const QString& b);

// A path starting with a separator (or, on Windows, a drive).
bool isAbsolutePath(const QString& path);

// Exactly one trailing separator: appends the native one, or cuts a run down to its first.
void normalizeTrailingSeparator(QString& path);

// base with one trailing separator, then tail without its leading separators.
QString& combinePath(QString& base, const QString& tail);

// A relative path (the empty one too) joined to base; an absolute one unchanged.
QString makeAbsolutePath(const QString& base, const QString& path);

// The absolute path of the directory holding the last component; empty for an empty path.
QString absoluteDirPath(const QString& path);

// The path without its last component, ending in a separator; empty when none is left.
QString parentDirOf(const QString& path);

// prefix before the last component's name; suffix before the last "." of the whole path.
void addNamePrefix(const QString& prefix, QString& path);
void addNameSuffix(const QString& suffix, QString& path);
