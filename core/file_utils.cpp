#include "core/file_utils.h"

#include "core/path_utils.h"
#include "platform/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool isRegularFile(const QString& path) {
  return !path.isEmpty() && platform::isRegularFile(fileSystemPath(path));
}

ReadOpenResult openRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode) {
  if (path.isEmpty()) return ReadOpenResult::CannotOpen;
  int fd = -1;
  int error = 0;
  switch (platform::openRegularFileForReading(fileSystemPath(path), &fd, &error)) {
    case platform::ReadOpen::NotRegular: return ReadOpenResult::NotRegularFile;
    case platform::ReadOpen::Failed: return ReadOpenResult::CannotOpen;
    case platform::ReadOpen::Opened: break;
  }
  if (file.open(fd, mode | QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return ReadOpenResult::Opened;
  platform::closeDescriptor(fd);
  return ReadOpenResult::CannotOpen;
}

QString openFailureText(const QString& path, ReadOpenResult result) {
  QString text = QStringLiteral("Failed to open file: '") + path + QLatin1Char('\'');
  if (result == ReadOpenResult::NotRegularFile) text += QStringLiteral(". It is not a regular file.");
  return text;
}
