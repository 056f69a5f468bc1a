#include "platform/whole_file.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// A temporary name must stay within the file system's limit on one name.
constexpr int kMaxTempBaseName = 200;
constexpr int kTempAttempts = 100;
// As the kernel's own limit on links in one lookup.
constexpr int kMaxLinkHops = 40;
// Extended attributes that change between two listings are read again, a few times.
constexpr int kListAttempts = 4;
// A replacement that could not keep what the old file was; the file is written in place.
constexpr unsigned kCannotKeep = ~0u;

[[nodiscard]] unsigned lastError() { return static_cast<unsigned>(lastErrno()); }

// Names of temporary files that exist for a moment, for the stop path to remove.
constexpr int kPendingSlots = 4;
enum SlotState : int { kFree, kFilling, kHeld };
struct PendingSlot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
PendingSlot g_pending[kPendingSlots];

int notePending(const QByteArray& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kPendingSlots; ++i) {
    int expected = kFree;
    if (!g_pending[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_pending[i].path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    g_pending[i].state.store(kHeld);
    return i;
  }
  return -1;
}

void forgetPending(int slot) {
  if (slot >= 0) g_pending[slot].state.store(kFree);
}

// The file a path names once links are followed, also when that name is not there yet,
// and what it is.
struct Target {
  QByteArray path;
  struct stat old {};
  bool exists = false;
};

[[nodiscard]] unsigned resolve(const QString& path, Target& target) {
  target.path = QFile::encodeName(path);
  for (int hops = 0;; ++hops) {
    if (::lstat(target.path.constData(), &target.old) != 0) return errno == ENOENT ? 0 : lastError();
    if (!S_ISLNK(target.old.st_mode)) {
      target.exists = true;
      return 0;
    }
    if (hops == kMaxLinkHops) return ELOOP;
    char link[PATH_MAX];
    const ssize_t size = ::readlink(target.path.constData(), link, sizeof link);
    if (size < 0) return lastError();
    if (size == static_cast<ssize_t>(sizeof link)) return ENAMETOOLONG;
    // A relative link is read against the link's own directory.
    const QByteArray to(link, static_cast<int>(size));
    target.path = to.startsWith('/') ? to : directoryOf(target.path) + '/' + to;
  }
}

bool hasCapability(int capability) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (::syscall(SYS_capget, &header, data) != 0) return ::geteuid() == 0;
  return ((data[capability / 32].effective >> (capability % 32)) & 1u) != 0;
}

bool isOwnGroup(gid_t group) {
  if (group == ::getegid()) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// Files that the kernel makes up as they are read: a new file cannot stand in for one.
bool isPseudoFileSystem(long type) {
  static const long kTypes[] = {PROC_SUPER_MAGIC, SYSFS_MAGIC,         DEBUGFS_MAGIC,    TRACEFS_MAGIC,
                                SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC,  CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,
                                PSTOREFS_MAGIC,   EFIVARFS_MAGIC,      SELINUX_MAGIC,    DEVPTS_SUPER_MAGIC};
  return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

bool onPseudoFileSystem(int fd) {
  struct statfs fs;
  return ::fstatfs(fd, &fs) == 0 && isPseudoFileSystem(static_cast<long>(fs.f_type));
}

// 0 where the kernel does not tell.
unsigned long long mountIdOf(const QByteArray& path) {
  struct statx info;
  if (::statx(AT_FDCWD, path.constData(), 0, STATX_MNT_ID, &info) != 0 || !(info.stx_mask & STATX_MNT_ID)) return 0;
  return info.stx_mnt_id;
}

enum class Rewrite { Replace, InPlace };

// The one rule for every file the program rewrites: a new file under the old name is
// the same file only where the file has no other name, is a plain file of its
// directory's mount, and its owner, group and place let us make it again.
Rewrite rewriteOf(const Target& target) {
  if (!target.exists) return Rewrite::Replace;
  const struct stat& old = target.old;
  if (!S_ISREG(old.st_mode) || old.st_nlink > 1) return Rewrite::InPlace;
  const QByteArray dir = directoryOf(target.path);
  struct stat parent;
  struct statfs fs;
  if (::stat(dir.constData(), &parent) != 0 || ::statfs(target.path.constData(), &fs) != 0) return Rewrite::InPlace;
  if (parent.st_dev != old.st_dev || mountIdOf(dir) != mountIdOf(target.path)) return Rewrite::InPlace;
  if (isPseudoFileSystem(static_cast<long>(fs.f_type))) return Rewrite::InPlace;
  // Only CAP_CHOWN gives a file away, or to a group we are not in.
  if ((old.st_uid != ::geteuid() || !isOwnGroup(old.st_gid)) && !hasCapability(CAP_CHOWN)) return Rewrite::InPlace;
  if (::faccessat(AT_FDCWD, dir.constData(), W_OK | X_OK, AT_EACCESS) != 0) return Rewrite::InPlace;
  if ((parent.st_mode & S_ISVTX) && old.st_uid != ::geteuid() && !hasCapability(CAP_FOWNER)) return Rewrite::InPlace;
  return Rewrite::Replace;
}

// The names in a list of extended attributes; size -1 when it could not be read.
QByteArray attributeNames(const char* path, int fd) {
  for (int i = 0; i < kListAttempts; ++i) {
    const ssize_t size = path ? ::listxattr(path, nullptr, 0) : ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? QByteArray("") : QByteArray();
    QByteArray names(static_cast<int>(size), '\0');
    const std::size_t room = static_cast<std::size_t>(names.size());
    const ssize_t got = path ? ::listxattr(path, names.data(), room) : ::flistxattr(fd, names.data(), room);
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
bool copyAttributes(const QByteArray& from, int to) {
  const QByteArray names = attributeNames(from.constData(), -1);
  if (names.isNull()) return false;
  const QList<QByteArray> kept = splitNames(names);
  for (const QByteArray& name : kept) {
    QByteArray value;
    ssize_t got = -1;
    for (int i = 0; i < kListAttempts && got < 0; ++i) {
      const ssize_t size = ::getxattr(from.constData(), name.constData(), nullptr, 0);
      if (size < 0) return false;
      value.resize(static_cast<int>(size));
      got = ::getxattr(from.constData(), name.constData(), value.data(), static_cast<std::size_t>(size));
      if (got < 0 && errno != ERANGE) return false;
    }
    if (got < 0 || ::fsetxattr(to, name.constData(), value.constData(), static_cast<std::size_t>(got), 0) != 0)
      return false;
  }
  for (const QByteArray& name : splitNames(attributeNames(nullptr, to)))
    if (!kept.contains(name) && ::fremovexattr(to, name.constData()) != 0) errno = 0;  // inherited, not ours to keep
  return true;
}

// Owner and group first, as a change of owner clears setuid and setgid; the mode last,
// as the kernel checks it, and drops a setgid it may not keep.
unsigned keepWhatItWas(int fd, const Target& target) {
  const struct stat& old = target.old;
  struct stat now;
  if (::fstat(fd, &now) != 0) return lastError();
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
    return errno == EPERM ? kCannotKeep : lastError();
  if (!copyAttributes(target.path, fd)) return kCannotKeep;
  const mode_t mode = old.st_mode & 07777;
  if (::fchmod(fd, mode) != 0) return errno == EPERM ? kCannotKeep : lastError();
  if (::fstat(fd, &now) != 0) return lastError();
  return (now.st_mode & 07777) == mode ? 0 : kCannotKeep;
}

// A unique name beside the target.
QByteArray tempNameBeside(const QByteArray& target, int attempt) {
  const QByteArray name = target.mid(target.lastIndexOf('/') + 1).left(kMaxTempBaseName);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%d.%d", static_cast<int>(::getpid()), attempt);
  return directoryOf(target) + "/." + name + QByteArray(suffix);
}

// Gives the file without a name the temporary name, noted for the stop path.
unsigned linkUnnamed(int fd, const QByteArray& target, QByteArray& temp, int& slot) {
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  for (int i = 0; i < kTempAttempts; ++i) {
    temp = tempNameBeside(target, i);
    // Through /proc any user may link it; without /proc only a privileged one.
    int rc = ::linkat(AT_FDCWD, self, AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW);
    if (rc != 0 && errno == ENOENT) rc = ::linkat(fd, "", AT_FDCWD, temp.constData(), AT_EMPTY_PATH);
    if (rc == 0) {
      slot = notePending(temp);
      return 0;
    }
    if (errno != EEXIST) break;
  }
  const unsigned error = lastError();
  temp.clear();
  return error;
}

// A new file that becomes the target only when whole. It has no name while written;
// where the file system cannot make such a file, a named one is noted for the stop path.
unsigned writeReplacement(const Target& target, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  QByteArray temp;  // the new file's name, once it has one
  int slot = -1;
  int opened = ::open(directoryOf(target.path).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  const bool unnamed = opened >= 0;
  if (!unnamed) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return lastError();
    QByteArray pattern = tempNameBeside(target.path, 0) + "XXXXXX";
    opened = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (opened < 0) return lastError();
    temp = pattern;
    slot = notePending(temp);
  }
  UniqueFd fd(opened);
  failedAt = WriteStep::Write;
  unsigned rc =
      static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  if (rc == 0) {
    if (target.exists)
      rc = keepWhatItWas(fd.get(), target);
    else if (::fchmod(fd.get(), 0666 & ~processUmask()) != 0)
      rc = lastError();
  }
  if (rc == 0 && ::fsync(fd.get()) != 0) rc = lastError();
  if (rc == 0 && unnamed) rc = linkUnnamed(fd.get(), target.path, temp, slot);
  if (rc == 0 && fd.close() != 0) rc = lastError();
  if (rc == 0 && ::rename(temp.constData(), target.path.constData()) != 0) rc = lastError();
  if (rc != 0 && !temp.isEmpty()) (void)::unlink(temp.constData());
  forgetPending(slot);
  return rc;
}

// A file opened non-blocking, so that a pipe without a reader is refused instead of
// waited on, is written blocking: what it is, and false with errno when that fails.
bool openedBlocking(int fd, struct stat& st) {
  const int flags = ::fcntl(fd, F_GETFL);
  return ::fstat(fd, &st) == 0 && flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Writes back what the file held; the disk had room for it a moment ago.
void putBack(int fd, const QByteArray& old) {
  if (::ftruncate(fd, 0) != 0) return;
  off_t at = 0;
  while (at < old.size()) {
    const ssize_t n = ::pwrite(fd, old.constData() + at, static_cast<std::size_t>(old.size() - at), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    at += n;
  }
}

// Reads the whole file from its start, kMaxKeptBytes at most (EFBIG past that).
unsigned readKept(int fd, QByteArray& old) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, old.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return lastError();
    if (n == 0) return 0;
    if (old.size() + n > kMaxKeptBytes) return EFBIG;
    old.append(buffer, static_cast<int>(n));
  }
}

// Writes the file itself, as a truncating open does, with its old text kept to put back.
unsigned writeInPlace(const Target& target, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  const bool regular = !target.exists || S_ISREG(target.old.st_mode);
  // Non-blocking only while opening: a pipe without a reader is refused, not waited on.
  UniqueFd fd(::open(target.path.constData(), (regular ? O_RDWR : O_WRONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return lastError();
  struct stat now;
  if (!openedBlocking(fd.get(), now)) return lastError();
  const bool keep = S_ISREG(now.st_mode) && !onPseudoFileSystem(fd.get());
  QByteArray old;
  if (keep) {
    const unsigned rc = readKept(fd.get(), old);
    if (rc != 0) return rc;
  }
  failedAt = WriteStep::Write;
  unsigned rc = keep && ::ftruncate(fd.get(), 0) != 0 ? lastError() : 0;
  if (rc == 0)
    rc = static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  if (rc == 0 && keep && ::fsync(fd.get()) != 0) rc = lastError();
  if (rc != 0 && keep) putBack(fd.get(), old);
  if (fd.close() != 0 && rc == 0) rc = lastError();
  return rc;
}

[[nodiscard]] unsigned rewrite(const QString& path, const QByteArray& content, bool refuseReadOnly,
                               WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  Target target;
  const unsigned rc = resolve(path, target);
  if (rc != 0) return rc;
  if (refuseReadOnly && target.exists && ::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
    return lastError();
  if (rewriteOf(target) == Rewrite::Replace) {
    const unsigned replaced = writeReplacement(target, content, failedAt);
    if (replaced != kCannotKeep) return replaced;
  }
  return writeInPlace(target, content, failedAt);
}

}  // namespace

unsigned replaceFile(const QString& path, const QByteArray& content) {
  WriteStep failedAt;
  return rewrite(path, content, false, failedAt);
}

unsigned writeWholeFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  return rewrite(path, content, true, failedAt);
}

unsigned appendToFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  // The file a link names is the one made here, and the one removed again.
  Target target;
  const unsigned resolved = resolve(path, target);
  if (resolved != 0) return resolved;
  const QByteArray& native = target.path;
  // Non-blocking only while opening: a pipe without a reader is refused, not waited on.
  const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool created = false;
  int opened = -1;
  if (!target.exists) {
    opened = ::open(native.constData(), flags | O_CREAT | O_EXCL, 0666);
    created = opened >= 0;
  }
  if (opened < 0 && (target.exists || errno == EEXIST)) opened = ::open(native.constData(), flags);
  if (opened < 0) return lastError();
  UniqueFd fd(opened);
  struct stat old {};
  if (!openedBlocking(fd.get(), old)) {
    const unsigned rc = lastError();
    if (created) (void)::unlink(native.constData());
    return rc;
  }
  failedAt = WriteStep::Write;
  const bool cutBack = S_ISREG(old.st_mode) && !created;
  unsigned rc =
      static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  // rc tells the failure, whether the cut succeeds or not.
  if (rc != 0 && cutBack && ::ftruncate(fd.get(), old.st_size) != 0) errno = 0;
  if (fd.close() != 0 && rc == 0) {
    rc = lastError();
    if (cutBack && ::truncate(native.constData(), old.st_size) != 0) errno = 0;
  }
  if (rc != 0 && created) (void)::unlink(native.constData());
  return rc;
}

void removePendingTemporaryFiles() {
  for (PendingSlot& slot : g_pending)
    if (slot.state.load() == kHeld) (void)::unlink(slot.path);
}

QString fileErrorText(unsigned code) { return QString::fromLocal8Bit(std::strerror(static_cast<int>(code))); }

}  // namespace platform
