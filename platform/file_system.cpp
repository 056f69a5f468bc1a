#include "platform/file_system.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

EntryKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

EntryKind kindOfEntry(int dirFd, const dirent* entry) {
  switch (entry->d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Directory;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: {
      struct stat st;
      if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::None;
      return kindOfMode(st.st_mode);
    }
    default: return EntryKind::Other;
  }
}

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Adds bits to the entry's own permissions; a link (or what a link points to) is
// never changed. True when the bits were changed, so that a retry may help.
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

bool isRefused(int error) { return error == EACCES || error == EPERM; }

// A hidden name beside target, unused so far: ".<name>.<pid>.<n>.tmp".
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

constexpr int kTempAttempts = 100;

int copyByReading(int in, int out) {
  char buffer[128 * 1024];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof(buffer));
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastErrno();
    }
    const int rc = writeAll(out, buffer, static_cast<std::size_t>(n));
    if (rc != 0) return rc;
  }
}

int copyData(int in, int out, off_t size) {
  bool first = true;
  off_t copied = 0;
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(1) << 30, 0);
    if (n > 0) {
      first = false;
      copied += n;
      // The size read at the start is the file; one call less per file in a large walk.
      if (copied == size) return 0;
      continue;
    }
    // Files of /proc and the like report no size and give nothing to this call.
    if (n == 0) return first && size == 0 ? copyByReading(in, out) : 0;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
      return copyByReading(in, out);
    return lastErrno();
  }
}

int createTempBeside(int dirFd, const QByteArray& target, mode_t mode, QByteArray& temp) {
  for (int i = 0; i < kTempAttempts; ++i) {
    temp = tempNameBeside(target);
    const int fd = ::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Both names in one directory.
int renameOverAt(int dirFd, const QByteArray& from, const QByteArray& to) {
  if (::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0) return 0;
  int error = errno;
  if (isRefused(error) && widenForOwner(dirFd, to.constData(), S_IRUSR | S_IWUSR)) {
    if (::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0) return 0;
    error = errno;
  }
  return error;
}

int renameOver(const QByteArray& from, const QByteArray& to) { return renameOverAt(AT_FDCWD, from, to); }

// Whether files without a name (O_TMPFILE) can be given one by linkat: older kernels
// allow that only to privileged callers.
std::atomic<bool> anonymousFilesLinkable{true};
constexpr int kNotHere = -1;

// The copy is written into a file without a name and linked in only when whole, so
// that neither a failure nor a crash leaves a part of it behind. kNotHere where the
// file system or the kernel cannot do that; nothing has changed then.
int copyThroughAnonymousFile(int in, off_t size, mode_t mode, int targetDir, const QByteArray& target) {
  UniqueFd out(::openat(targetDir, directoryOf(target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
  if (out.get() < 0)
    return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? kNotHere : lastErrno();
  int rc = copyData(in, out.get(), size);
  if (rc == 0 && (mode & processUmask()) != 0 && ::fchmod(out.get(), mode) != 0) rc = lastErrno();
  if (rc != 0) return rc;
  if (::linkat(out.get(), "", targetDir, target.constData(), AT_EMPTY_PATH) == 0) return 0;
  if (errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP) {
    anonymousFilesLinkable = false;
    return kNotHere;
  }
  if (errno != EEXIST) return lastErrno();
  // Replacing an existing target: linked beside it first, then renamed over it.
  QByteArray temp;
  for (int i = 0; i < kTempAttempts; ++i) {
    temp = tempNameBeside(target);
    rc = ::linkat(out.get(), "", targetDir, temp.constData(), AT_EMPTY_PATH) == 0 ? 0 : lastErrno();
    if (rc != EEXIST) break;
  }
  if (rc != 0) return rc;
  rc = renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyThroughNamedFile(int in, off_t size, mode_t mode, int targetDir, const QByteArray& target) {
  QByteArray temp;
  UniqueFd out(createTempBeside(targetDir, target, mode, temp));
  if (out.get() < 0) return lastErrno();
  int rc = copyData(in, out.get(), size);
  if (rc == 0 && (mode & processUmask()) != 0 && ::fchmod(out.get(), mode) != 0) rc = lastErrno();
  if (rc == 0 && out.close() != 0) rc = lastErrno();
  if (rc == 0) rc = renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyFileAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target) {
  // Non-blocking, so that a pipe named as the source is refused, not waited on.
  UniqueFd in(::openat(sourceDir, source.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.get() < 0) return lastErrno();
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return lastErrno();
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  // Created with the source's bits; changed afterwards only where the umask took some.
  const mode_t mode = st.st_mode & 0777;
  if (anonymousFilesLinkable) {
    const int rc = copyThroughAnonymousFile(in.get(), st.st_size, mode, targetDir, target);
    if (rc != kNotHere) return rc;
    if (::lseek(in.get(), 0, SEEK_SET) != 0) return lastErrno();
  }
  return copyThroughNamedFile(in.get(), st.st_size, mode, targetDir, target);
}

int copyLinkAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target) {
  QByteArray text(4096, '\0');
  const ssize_t n = ::readlinkat(sourceDir, source.constData(), text.data(), static_cast<size_t>(text.size()));
  if (n < 0) return lastErrno();
  if (n >= text.size()) return ENAMETOOLONG;
  text.truncate(static_cast<int>(n));
  QByteArray temp;
  int rc = EEXIST;
  for (int i = 0; i < kTempAttempts && rc == EEXIST; ++i) {
    temp = tempNameBeside(target);
    rc = ::symlinkat(text.constData(), targetDir, temp.constData()) == 0 ? 0 : lastErrno();
  }
  if (rc != 0) return rc;
  rc = renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target, bool asLink) {
  if (sourceDir == -1 || targetDir == -1) return EBADF;
  return asLink ? copyLinkAt(sourceDir, source, targetDir, target) : copyFileAt(sourceDir, source, targetDir, target);
}

int removeFileAt(int dirFd, const QByteArray& name) {
  if (dirFd == -1) return EBADF;
  if (::unlinkat(dirFd, name.constData(), 0) == 0) return 0;
  int error = errno;
  if (error == ENOENT) return 0;
  if (isRefused(error) && widenForOwner(dirFd, name.constData(), S_IRUSR | S_IWUSR)) {
    if (::unlinkat(dirFd, name.constData(), 0) == 0) return 0;
    error = errno;
  }
  return error;
}

FileId idOf(const struct stat& st) {
  FileId id;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.valid = true;
  return id;
}

int removeEntryAt(int dirFd, const char* name, int flags) {
  if (::unlinkat(dirFd, name, flags) == 0) return 0;
  int error = errno;
  if (error == ENOENT) return 0;
  // Removing an entry takes write permission on the directory, which is going too.
  if (isRefused(error) && dirFd != AT_FDCWD) {
    struct stat st;
    if (::fstat(dirFd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU &&
        ::fchmod(dirFd, (st.st_mode & 07777) | S_IRWXU) == 0) {
      if (::unlinkat(dirFd, name, flags) == 0) return 0;
      error = errno;
    }
  }
  return error;
}

// Empties the directory name below dirFd; goes on past failures and gives the first.
int removeContents(int dirFd, const char* name, const std::atomic<bool>* stop) {
  int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && isRefused(errno) && widenForOwner(dirFd, name, S_IRWXU))
    fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return lastErrno();
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    const int error = lastErrno();
    ::close(fd);
    return error;
  }
  // Read whole before removing: a directory changing under readdir may skip entries.
  std::vector<std::pair<QByteArray, bool>> entries;
  int first = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      if (errno != 0) first = errno;
      break;
    }
    if (isDotOrDotDot(entry->d_name)) continue;
    entries.emplace_back(QByteArray(entry->d_name), kindOfEntry(fd, entry) == EntryKind::Directory);
  }
  for (const auto& [entryName, isDirectory] : entries) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      first = ECANCELED;
      break;
    }
    int rc = 0;
    if (isDirectory) {
      rc = removeContents(fd, entryName.constData(), stop);
      const int removed = removeEntryAt(fd, entryName.constData(), AT_REMOVEDIR);
      if (rc == 0) rc = removed;
    } else {
      rc = removeEntryAt(fd, entryName.constData(), 0);
    }
    if (first == 0) first = rc;
  }
  ::closedir(dir);
  return first;
}

}  // namespace

int DirectoryHandle::open() {
  if (dir_) return 0;
  if (error_ != 0) return error_;
  const int fd =
      ::open(encoded(path_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink_ ? 0 : O_NOFOLLOW));
  if (fd < 0) return error_ = lastErrno();
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    error_ = lastErrno();
    ::close(fd);
    return error_;
  }
  dir_ = dir;
  return 0;
}

void DirectoryHandle::close() {
  if (dir_) ::closedir(static_cast<DIR*>(dir_));
  dir_ = nullptr;
  error_ = 0;
}

int DirectoryHandle::fd() { return open() == 0 ? ::dirfd(static_cast<DIR*>(dir_)) : -1; }

int listDirectory(DirectoryHandle& directory, bool withHidden, std::vector<DirEntry>& out) {
  out.clear();
  const int rc = directory.open();
  if (rc != 0) return rc;
  DIR* dir = static_cast<DIR*>(directory.dir_);
  const int fd = ::dirfd(dir);
  ::rewinddir(dir);
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) return errno;
    const char* name = entry->d_name;
    if (name[0] == '.' && (!withHidden || isDotOrDotDot(name))) continue;
    out.push_back({QFile::decodeName(name), kindOfEntry(fd, entry)});
  }
}

EntryKind entryKind(const QString& path) {
  struct stat st;
  if (::lstat(encoded(path).constData(), &st) != 0) return EntryKind::None;
  return kindOfMode(st.st_mode);
}

EntryKind entryKindThroughLinks(const QString& path) {
  struct stat st;
  if (::stat(encoded(path).constData(), &st) != 0) return EntryKind::None;
  return kindOfMode(st.st_mode);
}

FileId fileId(const QString& path, bool followLinks) {
  const QByteArray p = encoded(path);
  struct stat st;
  if ((followLinks ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) != 0) return FileId();
  return idOf(st);
}

FileId fileIdAt(DirectoryHandle& dir, const QString& name, bool followLinks) {
  struct stat st;
  const int fd = dir.fd();
  if (fd == -1 ||
      ::fstatat(fd, encoded(name).constData(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
    return FileId();
  return idOf(st);
}

int copyFileReplacing(const QString& source, const QString& target, bool asLink) {
  return copyAt(AT_FDCWD, encoded(source), AT_FDCWD, encoded(target), asLink);
}

int copyFileReplacingAt(DirectoryHandle& sourceDir, const QString& sourceName, DirectoryHandle& targetDir,
                        const QString& targetName, bool asLink) {
  return copyAt(sourceDir.fd(), encoded(sourceName), targetDir.fd(), encoded(targetName), asLink);
}

void allowUnnamedCopyFiles(bool allowed) { anonymousFilesLinkable = allowed; }

int removeFileEntry(const QString& path) { return removeFileAt(AT_FDCWD, encoded(path)); }

int removeFileEntryAt(DirectoryHandle& dir, const QString& name) { return removeFileAt(dir.fd(), encoded(name)); }

int removeTree(const QString& path, const std::atomic<bool>* stop) {
  const QByteArray p = encoded(path);
  struct stat st;
  if (::lstat(p.constData(), &st) != 0) return errno == ENOENT ? 0 : lastErrno();
  if (!S_ISDIR(st.st_mode)) return removeFileEntry(path);
  const int rc = removeContents(AT_FDCWD, p.constData(), stop);
  if (rc == ECANCELED) return rc;
  if (::rmdir(p.constData()) != 0) return rc != 0 ? rc : lastErrno();
  return 0;
}

int renamePath(const QString& from, const QString& to) {
  const QByteArray f = encoded(from);
  const QByteArray t = encoded(to);
  const int rc = renameOver(f, t);
  if (rc != EXDEV) return rc;
  const EntryKind kind = entryKind(from);
  if (kind != EntryKind::File && kind != EntryKind::Link) return rc;
  const int copied = copyFileReplacing(from, to, kind == EntryKind::Link);
  if (copied != 0) return copied;
  // A source that cannot be removed stays beside its copy: nothing is lost.
  return ::unlink(f.constData()) == 0 ? 0 : lastErrno();
}

int renameDirectoryReplacing(const QString& from, const QString& to) {
  const QByteArray f = encoded(from);
  const QByteArray t = encoded(to);
  struct stat st;
  if (::lstat(t.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return renameOver(f, t);
  QByteArray aside;
  int rc = EEXIST;
  for (int i = 0; i < kTempAttempts && rc == EEXIST; ++i) {
    aside = tempNameBeside(t);
    // Never over an entry of that name.
    rc = ::renameat2(AT_FDCWD, t.constData(), AT_FDCWD, aside.constData(), RENAME_NOREPLACE) == 0 ? 0 : lastErrno();
    if (rc == EINVAL && ::lstat(aside.constData(), &st) != 0)
      rc = ::rename(t.constData(), aside.constData()) == 0 ? 0 : lastErrno();
  }
  if (rc != 0) return rc;
  rc = renameOver(f, t);
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
