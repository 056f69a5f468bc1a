#include "platform/rewrite_choice.h"

#include "platform/file_io.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// As the kernel's own limit on links in one lookup.
constexpr int kMaxLinkHops = 40;

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

bool isPseudoFileSystem(long type) {
  static const long kTypes[] = {PROC_SUPER_MAGIC, SYSFS_MAGIC,         DEBUGFS_MAGIC,       TRACEFS_MAGIC,
                                SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC,  CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,
                                PSTOREFS_MAGIC,   EFIVARFS_MAGIC,      SELINUX_MAGIC,       DEVPTS_SUPER_MAGIC};
  return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

// 0 where the kernel does not tell; an empty name is the directory itself.
unsigned long long mountIdOf(int dir, const QByteArray& name) {
  struct statx info;
  const int flags = name.isEmpty() ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW;
  if (::statx(dir, name.constData(), flags, STATX_MNT_ID, &info) != 0 || !(info.stx_mask & STATX_MNT_ID)) return 0;
  return info.stx_mnt_id;
}

// The directory and the last name of a path in "/" form.
void splitPath(const QByteArray& path, QByteArray& dir, QByteArray& name) {
  dir = directoryOf(path);
  name = path.mid(path.lastIndexOf('/') + 1);
}

}  // namespace

bool onPseudoFileSystem(int fd) {
  struct statfs fs;
  return ::fstatfs(fd, &fs) == 0 && isPseudoFileSystem(static_cast<long>(fs.f_type));
}

unsigned resolveTarget(const QString& path, RewriteTarget& target) {
  QByteArray next = QFile::encodeName(path);
  for (int hops = 0;; ++hops) {
    QByteArray dirPath;
    splitPath(next, dirPath, target.name);
    if (target.name.isEmpty() || target.name == "." || target.name == "..") return EISDIR;
    // A relative link is read against the link's own directory, the one held now.
    const int base = target.dir.get() >= 0 ? target.dir.get() : AT_FDCWD;
    const int dir = ::openat(base, dirPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return static_cast<unsigned>(lastErrno());
    target.dir.reset(dir);
    if (::fstatat(dir, target.name.constData(), &target.old, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT ? 0 : static_cast<unsigned>(lastErrno());
    if (!S_ISLNK(target.old.st_mode)) {
      target.exists = true;
      return 0;
    }
    if (hops == kMaxLinkHops) return ELOOP;
    char link[PATH_MAX];
    const ssize_t size = ::readlinkat(dir, target.name.constData(), link, sizeof link);
    if (size < 0) return static_cast<unsigned>(lastErrno());
    if (size == static_cast<ssize_t>(sizeof link)) return ENAMETOOLONG;
    next = QByteArray(link, static_cast<int>(size));
  }
}

Rewrite rewriteOf(const RewriteTarget& target) {
  if (!target.exists) return Rewrite::Replace;
  const struct stat& old = target.old;
  if (!S_ISREG(old.st_mode) || old.st_nlink > 1) return Rewrite::InPlace;
  const int dir = target.dir.get();
  struct stat parent;
  if (::fstat(dir, &parent) != 0) return Rewrite::InPlace;
  if (parent.st_dev != old.st_dev || mountIdOf(dir, QByteArray()) != mountIdOf(dir, target.name))
    return Rewrite::InPlace;
  // On the directory's mount: its file system is the file's.
  if (onPseudoFileSystem(dir)) return Rewrite::InPlace;
  // Only CAP_CHOWN gives a file away, or to a group we are not in.
  if ((old.st_uid != ::geteuid() || !isOwnGroup(old.st_gid)) && !hasCapability(CAP_CHOWN)) return Rewrite::InPlace;
  if (::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) != 0) return Rewrite::InPlace;
  if ((parent.st_mode & S_ISVTX) && old.st_uid != ::geteuid() && !hasCapability(CAP_FOWNER)) return Rewrite::InPlace;
  return Rewrite::Replace;
}

bool stillAsChosen(const RewriteTarget& target) {
  struct stat now;
  if (::fstatat(target.dir.get(), target.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0)
    return !target.exists && errno == ENOENT;
  const struct stat& old = target.old;
  return target.exists && now.st_dev == old.st_dev && now.st_ino == old.st_ino && now.st_nlink == old.st_nlink &&
         (now.st_mode & S_IFMT) == (old.st_mode & S_IFMT) && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

}  // namespace platform
