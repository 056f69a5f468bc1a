#include "platform/in_place_write.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

[[nodiscard]] unsigned lastError() { return static_cast<unsigned>(lastErrno()); }

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

// Puts the old text back over the bytes that the new one changed (all of it once the
// file was cut), into blocks the file still holds, and the old length.
bool putBack(int fd, const QByteArray& old, std::size_t changed, bool cut) {
  const std::size_t size = static_cast<std::size_t>(old.size());
  std::size_t written = 0;
  return writeAllAt(fd, old.constData(), cut ? size : std::min(changed, size), 0, written) == 0 &&
         ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::fsync(fd) == 0;
}

// A device, a pipe or a file of the kernel's takes the bytes as they come.
Attempt writeStream(UniqueFd& fd, const QByteArray& content) {
  unsigned rc = static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  if (fd.close() != 0 && rc == 0) rc = lastError();
  return rc == 0 ? Attempt{} : failedAt(WriteStep::Write, rc);
}

// A regular file of a disk.
Attempt writeFile(UniqueFd& fd, bool readable, const QByteArray& content) {
  QByteArray old;
  if (readable) {
    const unsigned rc = readKept(fd.get(), old);
    if (rc != 0) return failedAt(WriteStep::Open, rc);
  }
  const off_t length = static_cast<off_t>(content.size());
  // Room for the whole new text first, where the file system can tell: a full disk
  // then fails before the file is touched.
  if (length > 0 && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, length) != 0 &&
      (errno == ENOSPC || errno == EDQUOT))
    return failedAt(WriteStep::Write, lastError());
  std::size_t written = 0;
  unsigned rc = static_cast<unsigned>(
      writeAllAt(fd.get(), content.constData(), static_cast<std::size_t>(content.size()), 0, written));
  const bool cut = rc == 0;
  if (cut && ::ftruncate(fd.get(), length) != 0) rc = lastError();
  if (rc == 0 && ::fsync(fd.get()) != 0) rc = lastError();
  if (rc == 0) rc = fd.close() == 0 ? 0 : lastError();
  if (rc == 0) return {};
  const bool touched = written > 0 || cut;
  const bool restored = !touched || (readable && fd.get() >= 0 && putBack(fd.get(), old, written, cut));
  return failedAt(restored ? WriteStep::Write : WriteStep::Restore, rc);
}

}  // namespace

Attempt writeInPlace(const RewriteTarget& target, const QByteArray& content) {
  // Non-blocking only while opening: a pipe without a reader is refused, not waited on.
  const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
  const bool regular = S_ISREG(target.old.st_mode);
  const int dir = target.dir.get();
  const char* name = target.name.constData();
  int opened = ::openat(dir, name, (regular ? O_RDWR : O_WRONLY) | flags);
  // A file we may write but not read is written all the same, its old text not kept.
  if (opened < 0 && regular && errno == EACCES) opened = ::openat(dir, name, O_WRONLY | flags);
  if (opened < 0) return errno == ELOOP ? Attempt{Outcome::Changed} : failedAt(WriteStep::Open, lastError());
  UniqueFd fd(opened);
  struct stat now;
  if (!makeBlocking(fd.get(), now)) return failedAt(WriteStep::Open, lastError());
  if (now.st_dev != target.old.st_dev || now.st_ino != target.old.st_ino) return {Outcome::Changed};
  if (!S_ISREG(now.st_mode) || onPseudoFileSystem(fd.get())) return writeStream(fd, content);
  const bool readable = (::fcntl(fd.get(), F_GETFL) & O_ACCMODE) == O_RDWR;
  return writeFile(fd, readable, content);
}

}  // namespace platform
