#include "platform/directory_cursor.h"

#include "platform/file_io.h"
#include "platform/file_system_detail.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

EntryKind kindOfEntry(int dirFd, const dirent* entry) {
  switch (entry->d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Directory;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: {
      struct stat st;
      if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::None;
      return detail::kindOfMode(st.st_mode);
    }
    default: return EntryKind::Other;
  }
}

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The identity of an open directory; invalid when it cannot be read.
FileId idOfOpen(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 ? detail::idOf(st) : FileId();
}

}  // namespace

void DirectoryCursor::enter(const QString& name) { names_.push_back(QFile::encodeName(name)); }

void DirectoryCursor::leave() {
  if (names_.empty()) return;
  if (openLevel() == depth()) stepUp();
  names_.pop_back();
}

int DirectoryCursor::fd(int* error) {
  const int rc = reach(false, nullptr);
  if (error) *error = rc;
  return rc == 0 ? fd_ : -1;
}

int DirectoryCursor::make(bool* made) {
  if (made) *made = false;
  return reach(true, made);
}

void DirectoryCursor::close() {
  if (dir_)
    ::closedir(static_cast<DIR*>(dir_));
  else if (fd_ >= 0)
    ::close(fd_);
  dir_ = nullptr;
  fd_ = -1;
  ids_.clear();
}

int DirectoryCursor::reach(bool create, bool* made) {
  if (depth() > kMaxWalkDepth) return ENAMETOOLONG;
  if (fd_ < 0) {
    const int rc = openRoot(create, made);
    if (rc != 0) return rc;
  }
  while (openLevel() < depth()) {
    const int rc = stepDown(create, made);
    if (rc != 0) return rc;
  }
  return 0;
}

int DirectoryCursor::openRoot(bool create, bool* made) {
  const QByteArray path = QFile::encodeName(rootPath_);
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followRootLink_ ? 0 : O_NOFOLLOW);
  int fd = ::open(path.constData(), flags);
  if (fd < 0 && errno == ENOENT && create && QDir().mkpath(rootPath_)) {
    if (made) *made = depth() == 0;
    fd = ::open(path.constData(), flags);
  }
  if (fd < 0) return lastErrno();
  replaceOpen(fd);
  ids_.push_back(idOfOpen(fd));
  return 0;
}

int DirectoryCursor::stepDown(bool create, bool* made) {
  const QByteArray& name = names_[static_cast<std::size_t>(openLevel())];
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLinks_ ? 0 : O_NOFOLLOW);
  int fd = ::openat(fd_, name.constData(), flags);
  if (fd < 0 && errno == ENOENT && create) {
    if (::mkdirat(fd_, name.constData(), 0777) != 0 && errno != EEXIST) return lastErrno();
    if (made) *made = openLevel() + 1 == depth();
    fd = ::openat(fd_, name.constData(), flags);
  }
  if (fd < 0) return lastErrno();
  replaceOpen(fd);
  ids_.push_back(idOfOpen(fd));
  return 0;
}

void DirectoryCursor::stepUp() {
  const int parent = openLevel() > 0 ? ::openat(fd_, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  if (parent >= 0 && idOfOpen(parent) == ids_[ids_.size() - 2]) {
    replaceOpen(parent);
    ids_.pop_back();
    return;
  }
  // Not where the walk came down from: the next use goes down from the root by the names.
  if (parent >= 0) ::close(parent);
  close();
}

void DirectoryCursor::replaceOpen(int fd) {
  if (dir_)
    ::closedir(static_cast<DIR*>(dir_));
  else if (fd_ >= 0)
    ::close(fd_);
  dir_ = nullptr;
  fd_ = fd;
}

int listDirectory(DirectoryCursor& directory, bool withHidden, std::vector<DirEntry>& out) {
  out.clear();
  int rc = 0;
  const int fd = directory.fd(&rc);
  if (fd < 0) return rc;
  if (!directory.dir_) {
    // The stream takes the descriptor over; the cursor still uses it.
    directory.dir_ = ::fdopendir(fd);
    if (!directory.dir_) return lastErrno();
  }
  DIR* dir = static_cast<DIR*>(directory.dir_);
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

FileId fileIdAt(DirectoryCursor& dir, const QString& name, bool followLinks) {
  struct stat st;
  const int fd = dir.fd();
  if (fd == -1 ||
      ::fstatat(fd, QFile::encodeName(name).constData(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
    return FileId();
  return detail::idOf(st);
}

bool isGoneOrUnreadable(int error) {
  return detail::isRefused(error) || error == ENOENT || error == ENOTDIR || error == ELOOP;
}

}  // namespace platform
