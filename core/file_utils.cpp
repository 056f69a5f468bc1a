#include "core/file_utils.h"

#include "core/path_utils.h"
#include "platform/regular_file.h"
#include "platform/whole_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

bool dirExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(fileSystemPath(path)).isDir();
}

bool fileExists(const QString& path) {
  return !path.isEmpty() && QFileInfo::exists(fileSystemPath(path));
}

platform::EntryKind entryKindThroughLinks(const QString& path) {
  return path.isEmpty() ? platform::EntryKind::None : platform::entryKindThroughLinks(fileSystemPath(path));
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
  if (path.isEmpty()) return true;
  return platform::removeFileEntry(fileSystemPath(path)) == 0;
}

QString cleanAbsolutePath(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(fileSystemPath(path)));
}

QString programRelativePath(const QString& path) {
  return makeAbsolutePath(QCoreApplication::applicationDirPath(), path);
}

platform::FileId fileIdOf(const QString& path, bool followLinks) {
  return platform::fileId(fileSystemPath(path), followLinks);
}

bool isSameFile(const QString& a, const QString& b) {
  // By identity alone: folding "a/link/.." by the text would judge another place.
  return !a.isEmpty() && !b.isEmpty() && fileIdOf(a, true) == fileIdOf(b, true);
}

namespace {

// The deepest existing ancestor resolved through its links, then the rest as written.
QString resolvedPath(const QString& path) {
  QString head = cleanAbsolutePath(path);
  QString tail;
  while (!head.isEmpty()) {
    const QString canonical = QFileInfo(head).canonicalFilePath();
    if (!canonical.isEmpty()) return QDir::cleanPath(canonical + tail);
    const int slash = head.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) break;
    tail.prepend(head.mid(slash));
    head.truncate(slash);
  }
  return cleanAbsolutePath(path);
}

bool isSameOrBelow(const QString& dir, const QString& path) {
  if (dir == QLatin1String("/")) return true;
  const Qt::CaseSensitivity cs = pathCaseSensitivity();
  return path.startsWith(dir, cs) && (path.size() == dir.size() || path.at(dir.size()) == QLatin1Char('/'));
}

}  // namespace

bool isSameOrAncestorDir(const QString& dir, const QString& path) {
  if (dir.isEmpty() || path.isEmpty()) return false;
  return isSameOrBelow(cleanAbsolutePath(dir), cleanAbsolutePath(path)) ||
         isSameOrBelow(resolvedPath(dir), resolvedPath(path));
}

QString protectedPlaceIn(const QString& dir, const QString& jobDir) {
  const struct {
    QString path;
    const char* what;
  } places[] = {
      {QStringLiteral("/"), "the file-system root"},
      {QDir::homePath(), "the home directory"},
      {QCoreApplication::applicationDirPath(), "the program's directory"},
      {jobDir, "the job file's directory"},
      {QDir::currentPath(), "the current directory"},
  };
  for (const auto& place : places)
    if (!place.path.isEmpty() && isSameOrAncestorDir(dir, place.path)) return QLatin1String(place.what);
  // "${out}/tmp" with an empty "out" is "/tmp": no job empties a directory of the system.
  const QString clean = cleanAbsolutePath(dir);
  if (clean.lastIndexOf(QLatin1Char('/')) == 0) return QStringLiteral("a top-level directory of the system");
  return QString();
}

int listDirectorySorted(WalkDirectory& dir, std::vector<platform::DirEntry>& out) {
  const int rc = platform::listDirectory(dir, false, out);
  if (rc != 0) {
    out.clear();
    return rc;
  }
  std::sort(out.begin(), out.end(), [](const platform::DirEntry& a, const platform::DirEntry& b) {
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return 0;
}

bool listsNothing(int error) { return error == 0 || platform::isGoneOrUnreadable(error); }

QString listFailureReason(const WalkDirectory& dir, int error) {
  if (dir.depth() > platform::kMaxWalkDepth)
    return QStringLiteral("it lies more than %1 levels below '%2'").arg(platform::kMaxWalkDepth).arg(dir.rootPath());
  return platform::fileErrorText(static_cast<unsigned>(error));
}

QString childPath(const QString& dir, const QString& name) {
  QString path;
  path.reserve(dir.size() + 1 + name.size());
  path = dir;
  if (!path.isEmpty() && !isPathSeparator(path.back())) path += QLatin1Char('/');
  path += name;
  return path;
}

int copyFileSafely(const QString& source, const QString& target, bool asLink, const std::atomic<bool>* stop) {
  return platform::copyFileReplacing(fileSystemPath(source), fileSystemPath(target), asLink, stop);
}

int copyFileSafely(WalkDirectory& sourceDir, const QString& sourceName, WalkDirectory& targetDir,
                   const QString& targetName, bool asLink, const std::atomic<bool>* stop) {
  return platform::copyFileReplacingAt(sourceDir, sourceName, targetDir, targetName, asLink, stop);
}

bool removeFileIn(WalkDirectory& dir, const QString& name) { return platform::removeFileEntryAt(dir, name) == 0; }

bool removeDirectoryTree(const QString& path, const std::atomic<bool>* stop) {
  return !path.isEmpty() && platform::removeTree(fileSystemPath(path), stop) == 0;
}

int renameEntry(const QString& from, const QString& to) {
  return platform::renamePath(fileSystemPath(from), fileSystemPath(to));
}

int renameDirectoryReplacing(const QString& from, const QString& to) {
  return platform::renameDirectoryReplacing(fileSystemPath(from), fileSystemPath(to));
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
    case platform::ReadOpen::Failed:
    case platform::ReadOpen::TooLarge: return ReadOpenResult::CannotOpen;
    case platform::ReadOpen::Opened: break;
  }
  if (file.open(fd, mode | QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return ReadOpenResult::Opened;
  platform::closeDescriptor(fd);
  return ReadOpenResult::CannotOpen;
}

ReadOpenResult readRegularFile(const QString& path, qint64 limit, QByteArray& content) {
  if (path.isEmpty()) return ReadOpenResult::CannotOpen;
  int error = 0;
  switch (platform::readRegularFile(fileSystemPath(path), limit, &content, &error)) {
    case platform::ReadOpen::Opened: return ReadOpenResult::Opened;
    case platform::ReadOpen::NotRegular: return ReadOpenResult::NotRegularFile;
    case platform::ReadOpen::TooLarge: return ReadOpenResult::TooLarge;
    case platform::ReadOpen::Failed: break;
  }
  return ReadOpenResult::CannotOpen;
}

QString openFailureText(const QString& path, ReadOpenResult result) {
  QString text = QStringLiteral("Failed to open file: '") + path + QLatin1Char('\'');
  if (result == ReadOpenResult::NotRegularFile) text += QStringLiteral(". It is not a regular file.");
  if (result == ReadOpenResult::TooLarge) text += QStringLiteral(". It is too large to be read.");
  return text;
}
