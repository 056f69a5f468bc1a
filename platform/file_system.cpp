#include "platform/file_system.h"

#include "platform/file_io.h"
#include "platform/file_system_detail.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace detail {

EntryKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

FileId idOf(const struct stat& st) {
  FileId id;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.valid = true;
  return id;
}

bool widenForOwner(int dirFd, const char* name, mode_t bits) {
  struct stat st;
  if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode)) return false;
  if ((st.st_mode & bits) == bits) return false;
  const mode_t mode = (st.st_mode & 07777) | bits;
  if (::fchmodat(dirFd, name, mode, AT_SYMLINK_NOFOLLOW) == 0) return true;
  // Without /proc the C library cannot change bits without following; the entry was
  // not a link a moment ago.
  return (errno == EOPNOTSUPP || errno == ENOSYS) && ::fchmodat(dirFd, name, mode, 0) == 0;
}

QByteArray tempNameBeside(const QByteArray& target) {
  static std::atomic<unsigned> counter{0};
  const int slash = target.lastIndexOf('/');
  // Room for the added parts within the 255 bytes a name may hold.
  const QByteArray base = target.mid(slash + 1).left(200);
  QByteArray name = target.left(slash + 1);
  name += '.';
  name += base;
  name += '.';
  static const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid()));
  name += pid;
  name += '.';
  name += QByteArray::number(counter.fetch_add(1, std::memory_order_relaxed));
  name += ".tmp";
  return name;
}

int renameOverAt(int dirFd, const QByteArray& from, const QByteArray& to) {
  if (::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0) return 0;
  int error = errno;
  if (isRefused(error) && widenForOwner(dirFd, to.constData(), S_IRUSR | S_IWUSR)) {
    if (::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0) return 0;
    error = errno;
  }
  return error;
}

}  // namespace detail

EntryKind entryKind(const QString& path) {
  struct stat st;
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return EntryKind::None;
  return detail::kindOfMode(st.st_mode);
}

EntryKind entryKindThroughLinks(const QString& path) {
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return EntryKind::None;
  return detail::kindOfMode(st.st_mode);
}

FileId fileId(const QString& path, bool followLinks) {
  const QByteArray p = QFile::encodeName(path);
  struct stat st;
  if ((followLinks ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) != 0) return FileId();
  return detail::idOf(st);
}

int renamePath(const QString& from, const QString& to) {
  const QByteArray f = QFile::encodeName(from);
  const QByteArray t = QFile::encodeName(to);
  const int rc = detail::renameOverAt(AT_FDCWD, f, t);
  if (rc != EXDEV) return rc;
  const EntryKind kind = entryKind(from);
  if (kind != EntryKind::File && kind != EntryKind::Link) return rc;
  const int copied = copyFileReplacing(from, to, kind == EntryKind::Link);
  if (copied != 0) return copied;
  // A source that cannot be removed stays beside its copy: nothing is lost.
  return ::unlink(f.constData()) == 0 ? 0 : lastErrno();
}

int renameDirectoryReplacing(const QString& from, const QString& to) {
  const QByteArray f = QFile::encodeName(from);
  const QByteArray t = QFile::encodeName(to);
  struct stat st;
  if (::lstat(t.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return detail::renameOverAt(AT_FDCWD, f, t);
  QByteArray aside;
  int rc = EEXIST;
  for (int i = 0; i < detail::kTempAttempts && rc == EEXIST; ++i) {
    aside = detail::tempNameBeside(t);
    // Never over an entry of that name.
    rc = ::renameat2(AT_FDCWD, t.constData(), AT_FDCWD, aside.constData(), RENAME_NOREPLACE) == 0 ? 0 : lastErrno();
    if (rc == EINVAL && ::lstat(aside.constData(), &st) != 0)
      rc = ::rename(t.constData(), aside.constData()) == 0 ? 0 : lastErrno();
  }
  if (rc != 0) return rc;
  rc = detail::renameOverAt(AT_FDCWD, f, t);
  if (rc != 0) {
    (void)::rename(aside.constData(), t.constData());  // back where it was; rc tells the failure
    return rc;
  }
  // The rename is done; an old tree that resists removal stays hidden beside it.
  (void)removeTree(QFile::decodeName(aside));
  return 0;
}

int setCurrentDirectory(const QString& path) {
  errno = 0;
  return QDir::setCurrent(path) ? 0 : lastErrno();
}

int makeDirectory(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0777) == 0) return 0;
  const int error = lastErrno();
  struct stat st;
  return error == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : error;
}

}  // namespace platform
