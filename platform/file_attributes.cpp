#include "platform/file_attributes.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {

namespace {

// Extended attributes that change between two readings are read again, a few times.
constexpr int kReadAttempts = 4;

// The old file's attributes are read through a descriptor; one we may not read is
// reached through /proc by a descriptor that only names it.
class AttributeSource {
 public:
  explicit AttributeSource(int fd, bool named) : fd_(fd) {
    if (named) std::snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd);
  }
  ssize_t list(char* names, std::size_t size) const {
    return path_[0] ? ::listxattr(path_, names, size) : ::flistxattr(fd_, names, size);
  }
  ssize_t get(const char* name, char* value, std::size_t size) const {
    return path_[0] ? ::getxattr(path_, name, value, size) : ::fgetxattr(fd_, name, value, size);
  }

 private:
  int fd_;
  char path_[64] = {};
};

// The names in a list of extended attributes; null when it could not be read.
template <typename List>
QByteArray attributeNames(List list) {
  for (int i = 0; i < kReadAttempts; ++i) {
    const ssize_t size = list(nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? QByteArray("") : QByteArray();
    QByteArray names(static_cast<int>(size), '\0');
    const ssize_t got = list(names.data(), static_cast<std::size_t>(names.size()));
    if (got >= 0) return names.left(static_cast<int>(got));
    if (errno != ERANGE) return QByteArray();
  }
  return QByteArray();
}

QList<QByteArray> splitNames(const QByteArray& names) {
  QList<QByteArray> out = names.split('\0');
  out.removeAll(QByteArray());
  return out;
}

// Copies every extended attribute of the old file to the new one and drops those the new
// one has that the old has not (a directory's default ACL): false when one cannot be kept.
bool copyAttributes(const AttributeSource& from, int to) {
  const QByteArray names =
      attributeNames([&from](char* list, std::size_t size) { return from.list(list, size); });
  if (names.isNull()) return false;
  const QList<QByteArray> kept = splitNames(names);
  for (const QByteArray& name : kept) {
    QByteArray value;
    ssize_t got = -1;
    for (int i = 0; i < kReadAttempts && got < 0; ++i) {
      const ssize_t size = from.get(name.constData(), nullptr, 0);
      if (size < 0) return false;
      value.resize(static_cast<int>(size));
      got = from.get(name.constData(), value.data(), static_cast<std::size_t>(size));
      if (got < 0 && errno != ERANGE) return false;
    }
    if (got < 0 || ::fsetxattr(to, name.constData(), value.constData(), static_cast<std::size_t>(got), 0) != 0)
      return false;
  }
  const QByteArray own = attributeNames([to](char* list, std::size_t size) { return ::flistxattr(to, list, size); });
  for (const QByteArray& name : splitNames(own))
    if (!kept.contains(name) && ::fremovexattr(to, name.constData()) != 0) errno = 0;  // inherited, not ours to keep
  return true;
}

// Opens the old file to read its attributes, without following a link that took its
// name; named is set when only a descriptor that names it could be had.
int openOld(const RewriteTarget& target, bool& named) {
  const int flags = O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
  named = false;
  const int fd = ::openat(target.dir.get(), target.name.constData(), O_RDONLY | O_NONBLOCK | flags);
  if (fd >= 0 || errno != EACCES) return fd;
  named = true;
  return ::openat(target.dir.get(), target.name.constData(), O_PATH | flags);
}

Attempt cannotKeep() { return {Outcome::CannotKeep}; }

}  // namespace

// Owner and group first, as a change of owner clears setuid and setgid; the mode last,
// as the kernel checks it, and drops a setgid it may not keep.
Attempt keepWhatItWas(int fd, const RewriteTarget& target) {
  const struct stat& old = target.old;
  bool named = false;
  UniqueFd source(openOld(target, named));
  struct stat now;
  if (source.get() < 0) return errno == ELOOP || errno == ENOENT ? Attempt{Outcome::Changed} : cannotKeep();
  if (::fstat(source.get(), &now) != 0) return failedAt(WriteStep::Write, static_cast<unsigned>(lastErrno()));
  if (now.st_dev != old.st_dev || now.st_ino != old.st_ino) return {Outcome::Changed};
  if (::fstat(fd, &now) != 0) return failedAt(WriteStep::Write, static_cast<unsigned>(lastErrno()));
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
    return errno == EPERM ? cannotKeep() : failedAt(WriteStep::Write, static_cast<unsigned>(lastErrno()));
  if (!copyAttributes(AttributeSource(source.get(), named), fd)) return cannotKeep();
  const mode_t mode = old.st_mode & 07777;
  if (::fchmod(fd, mode) != 0)
    return errno == EPERM ? cannotKeep() : failedAt(WriteStep::Write, static_cast<unsigned>(lastErrno()));
  if (::fstat(fd, &now) != 0) return failedAt(WriteStep::Write, static_cast<unsigned>(lastErrno()));
  return (now.st_mode & 07777) == mode ? Attempt{} : cannotKeep();
}

}  // namespace platform
