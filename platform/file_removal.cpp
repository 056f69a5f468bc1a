// Removal of files and of whole trees, past the bits that refuse it.

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/file_system_detail.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int removeFileAt(int dirFd, const QByteArray& name) {
  if (::unlinkat(dirFd, name.constData(), 0) == 0) return 0;
  int error = errno;
  if (error == ENOENT) return 0;
  if (detail::isRefused(error) && detail::widenForOwner(dirFd, name.constData(), S_IRUSR | S_IWUSR)) {
    if (::unlinkat(dirFd, name.constData(), 0) == 0) return 0;
    error = errno;
  }
  return error;
}

int removeEntryAt(int dirFd, const char* name, int flags) {
  if (::unlinkat(dirFd, name, flags) == 0) return 0;
  int error = errno;
  if (error == ENOENT) return 0;
  // Removing an entry takes write permission on the directory, which is going too.
  if (detail::isRefused(error)) {
    struct stat st;
    if (::fstat(dirFd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU &&
        ::fchmod(dirFd, (st.st_mode & 07777) | S_IRWXU) == 0) {
      if (::unlinkat(dirFd, name, flags) == 0) return 0;
      error = errno;
    }
  }
  return error;
}

// Empties the directory the cursor is at; goes on past failures and gives the first.
int removeContents(DirectoryCursor& dir, const std::atomic<bool>* stop) {
  // Read whole before removing: a directory changing under readdir may skip entries.
  std::vector<DirEntry> entries;
  int first = listDirectory(dir, true, entries);
  for (const DirEntry& entry : entries) {
    if (stop && stop->load(std::memory_order_relaxed)) return ECANCELED;
    int rc = 0;
    if (entry.kind == EntryKind::Directory) {
      dir.enter(entry.name);
      int error = 0;
      if (dir.fd(&error) < 0 && detail::isRefused(error)) {
        dir.leave();
        const int parent = dir.fd();
        if (parent >= 0) (void)detail::widenForOwner(parent, QFile::encodeName(entry.name).constData(), S_IRWXU);
        dir.enter(entry.name);
      }
      rc = dir.fd(&error) >= 0 ? removeContents(dir, stop) : error;
      dir.leave();
      if (rc == ECANCELED) return rc;
      const int parent = dir.fd(&error);
      const int removed =
          parent < 0 ? error : removeEntryAt(parent, QFile::encodeName(entry.name).constData(), AT_REMOVEDIR);
      if (rc == 0) rc = removed;
    } else {
      const int parent = dir.fd(&rc);
      if (parent >= 0) rc = removeEntryAt(parent, QFile::encodeName(entry.name).constData(), 0);
    }
    if (first == 0) first = rc;
  }
  return first;
}

}  // namespace

int removeFileEntry(const QString& path) { return removeFileAt(AT_FDCWD, QFile::encodeName(path)); }

int removeFileEntryAt(DirectoryCursor& dir, const QString& name) {
  int rc = 0;
  const int fd = dir.fd(&rc);
  return fd < 0 ? rc : removeFileAt(fd, QFile::encodeName(name));
}

int removeTree(const QString& path, const std::atomic<bool>* stop) {
  const QByteArray p = QFile::encodeName(path);
  struct stat st;
  if (::lstat(p.constData(), &st) != 0) return errno == ENOENT ? 0 : lastErrno();
  if (!S_ISDIR(st.st_mode)) return removeFileEntry(path);
  DirectoryCursor tree(path, false);
  int rc = 0;
  if (tree.fd(&rc) < 0 && detail::isRefused(rc) && detail::widenForOwner(AT_FDCWD, p.constData(), S_IRWXU))
    rc = 0;
  if (rc == 0) rc = removeContents(tree, stop);
  tree.close();
  if (rc == ECANCELED) return rc;
  if (::rmdir(p.constData()) != 0) return rc != 0 ? rc : lastErrno();
  return 0;
}

}  // namespace platform
