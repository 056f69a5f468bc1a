#include "core/file_utils.h"

#include "core/path_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

bool dirExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(fileSystemPath(path)).isDir();
}

bool fileExists(const QString& path) {
  return !path.isEmpty() && QFileInfo::exists(fileSystemPath(path));
}

bool makePath(const QString& path) {
  if (path.isEmpty()) return false;
  const QString fsPath = fileSystemPath(path);
  if (QFileInfo(fsPath).isDir()) return true;
  return QDir().mkpath(fsPath);
}

bool makeParentPath(const QString& filePath) {
  if (filePath.isEmpty()) return false;
  if (fileExists(filePath)) return true;
  return makePath(absoluteDirPath(filePath));
}

bool removeFile(const QString& path) {
  const QString fsPath = fileSystemPath(path);
  const QFileInfo info(fsPath);
  // A dangling link is something to remove too; a live one is removed, never its target.
  if (!info.exists() && !info.isSymLink()) return true;
  if (info.isDir() && !info.isSymLink()) return false;
  if (!info.isSymLink()) {
    QFile::setPermissions(fsPath, QFile::permissions(fsPath) | QFile::ReadOwner |
                                      QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  }
  return QFile::remove(fsPath);
}

QString cleanAbsolutePath(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(fileSystemPath(path)));
}

platform::FileId fileIdOf(const QString& path, bool followLinks) {
  return platform::fileId(fileSystemPath(path), followLinks);
}

bool isSameFile(const QString& a, const QString& b) {
  if (a.isEmpty() || b.isEmpty()) return false;
  if (samePath(cleanAbsolutePath(a), cleanAbsolutePath(b))) return true;
  return fileIdOf(a, true) == fileIdOf(b, true);
}

bool listDirectorySorted(const QString& path, bool isRoot, std::vector<platform::DirEntry>& out) {
  if (platform::listDirectory(fileSystemPath(path), false, isRoot, out) != 0) {
    out.clear();
    return false;
  }
  std::sort(out.begin(), out.end(), [](const platform::DirEntry& a, const platform::DirEntry& b) {
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return true;
}

QString childPath(const QString& dir, const QString& name) {
  QString path;
  path.reserve(dir.size() + 1 + name.size());
  path = dir;
  if (!path.isEmpty() && !isPathSeparator(path.back())) path += QLatin1Char('/');
  path += name;
  return path;
}

int copyFileSafely(const QString& source, const QString& target, bool asLink) {
  const QString from = fileSystemPath(source);
  const QString to = fileSystemPath(target);
  return asLink ? platform::copyLinkReplacing(from, to) : platform::copyFileReplacing(from, to);
}

int copyFileToNewTarget(const QString& source, const QString& target, bool asLink, bool& targetExisted) {
  const QString from = fileSystemPath(source);
  const QString to = fileSystemPath(target);
  const int rc = asLink ? platform::copyLinkCreating(from, to) : platform::copyFileCreating(from, to);
  targetExisted = rc == EEXIST;
  return targetExisted ? 0 : rc;
}
