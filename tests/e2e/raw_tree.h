#pragma once

// Trees seen by their bytes and through descriptors, apart from the program's own code:
// names that are not UTF-8, and depths that no path of PATH_MAX bytes reaches.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace raw_tree {

using Names = QList<QByteArray>;

// The directory root/names[0]/names[1]/..., each step taken from the one above;
// with create, what is missing is made. -1 when a step fails.
inline int openBelow(const QByteArray& root, const Names& names, bool create) {
  if (create) (void)::mkdir(root.constData(), 0777);
  int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const QByteArray& name : names) {
    if (fd < 0) return -1;
    if (create) (void)::mkdirat(fd, name.constData(), 0777);
    const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  return fd;
}

inline bool writeBelow(const QByteArray& root, const Names& names, const QByteArray& file,
                       const QByteArray& content) {
  const int dir = openBelow(root, names, true);
  if (dir < 0) return false;
  const int fd = ::openat(dir, file.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ::close(dir);
  if (fd < 0) return false;
  const bool written = ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
  return ::close(fd) == 0 && written;
}

// The file's bytes, or "<missing>".
inline QByteArray readBelow(const QByteArray& root, const Names& names, const QByteArray& file) {
  const int dir = openBelow(root, names, false);
  if (dir < 0) return "<missing>";
  const int fd = ::openat(dir, file.constData(), O_RDONLY | O_CLOEXEC);
  ::close(dir);
  if (fd < 0) return "<missing>";
  QByteArray out;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof(buffer))) > 0;) out.append(buffer, static_cast<int>(n));
  ::close(fd);
  return out;
}

// The names in the directory, hidden ones too, sorted by their bytes; directories end
// in "/". Empty when it cannot be opened.
inline Names entriesBelow(const QByteArray& root, const Names& names = {}) {
  Names out;
  const int fd = openBelow(root, names, false);
  if (fd < 0) return out;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return out;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat st;
    const bool isDir = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    out << (isDir ? name + '/' : name);
  }
  ::closedir(dir);
  std::sort(out.begin(), out.end());
  return out;
}

// rm -r, which goes as deep as a tree does.
inline void removeAll(const QString& path) { QProcess::execute("rm", {"-rf", path}); }

}  // namespace raw_tree
