// The copy of one file: written whole into a file without a name, or into a named
// temporary file beside the target, and only then put in the target's place.

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/file_system_detail.h"
#include "platform/unique_fd.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The most that one call copies between two looks at the stop flag: a stop is heard
// within the time a slow disk takes to write this much.
constexpr std::size_t kCopyPiece = std::size_t(8) << 20;

bool isStopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

int copyByReading(int in, int out, const std::atomic<bool>* stop) {
  char buffer[128 * 1024];
  for (;;) {
    if (isStopped(stop)) return ECANCELED;
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

int copyData(int in, int out, off_t size, const std::atomic<bool>* stop) {
  bool first = true;
  off_t copied = 0;
  for (;;) {
    if (isStopped(stop)) return ECANCELED;
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kCopyPiece, 0);
    if (n > 0) {
      first = false;
      copied += n;
      // The size read at the start is the file; one call less per file in a large walk.
      if (copied == size) return 0;
      continue;
    }
    // Files of /proc and the like report no size and give nothing to this call.
    if (n == 0) return first && size == 0 ? copyByReading(in, out, stop) : 0;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
      return copyByReading(in, out, stop);
    return lastErrno();
  }
}

int createTempBeside(int dirFd, const QByteArray& target, mode_t mode, QByteArray& temp) {
  for (int i = 0; i < detail::kTempAttempts; ++i) {
    temp = detail::tempNameBeside(target);
    const int fd = ::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Whether files without a name (O_TMPFILE) can be given one by linkat: older kernels
// allow that only to privileged callers.
std::atomic<bool> anonymousFilesLinkable{true};
constexpr int kNotHere = -1;

// The copy is written into a file without a name and linked in only when whole, so
// that neither a failure nor a crash leaves a part of it behind. kNotHere where the
// file system or the kernel cannot do that; nothing has changed then.
int copyThroughAnonymousFile(int in, off_t size, mode_t mode, int targetDir, const QByteArray& target,
                             const std::atomic<bool>* stop) {
  UniqueFd out(::openat(targetDir, directoryOf(target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
  if (out.get() < 0)
    return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? kNotHere : lastErrno();
  int rc = copyData(in, out.get(), size, stop);
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
  for (int i = 0; i < detail::kTempAttempts; ++i) {
    temp = detail::tempNameBeside(target);
    rc = ::linkat(out.get(), "", targetDir, temp.constData(), AT_EMPTY_PATH) == 0 ? 0 : lastErrno();
    if (rc != EEXIST) break;
  }
  if (rc != 0) return rc;
  rc = detail::renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyThroughNamedFile(int in, off_t size, mode_t mode, int targetDir, const QByteArray& target,
                         const std::atomic<bool>* stop) {
  QByteArray temp;
  UniqueFd out(createTempBeside(targetDir, target, mode, temp));
  if (out.get() < 0) return lastErrno();
  int rc = copyData(in, out.get(), size, stop);
  if (rc == 0 && (mode & processUmask()) != 0 && ::fchmod(out.get(), mode) != 0) rc = lastErrno();
  if (rc == 0 && out.close() != 0) rc = lastErrno();
  if (rc == 0) rc = detail::renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyFileAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target,
               const std::atomic<bool>* stop) {
  // Non-blocking, so that a pipe named as the source is refused, not waited on.
  UniqueFd in(::openat(sourceDir, source.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.get() < 0) return lastErrno();
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return lastErrno();
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  // Created with the source's bits; changed afterwards only where the umask took some.
  const mode_t mode = st.st_mode & 0777;
  if (anonymousFilesLinkable) {
    const int rc = copyThroughAnonymousFile(in.get(), st.st_size, mode, targetDir, target, stop);
    if (rc != kNotHere) return rc;
    if (::lseek(in.get(), 0, SEEK_SET) != 0) return lastErrno();
  }
  return copyThroughNamedFile(in.get(), st.st_size, mode, targetDir, target, stop);
}

int copyLinkAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target) {
  QByteArray text(4096, '\0');
  const ssize_t n = ::readlinkat(sourceDir, source.constData(), text.data(), static_cast<size_t>(text.size()));
  if (n < 0) return lastErrno();
  if (n >= text.size()) return ENAMETOOLONG;
  text.truncate(static_cast<int>(n));
  QByteArray temp;
  int rc = EEXIST;
  for (int i = 0; i < detail::kTempAttempts && rc == EEXIST; ++i) {
    temp = detail::tempNameBeside(target);
    rc = ::symlinkat(text.constData(), targetDir, temp.constData()) == 0 ? 0 : lastErrno();
  }
  if (rc != 0) return rc;
  rc = detail::renameOverAt(targetDir, temp, target);
  if (rc != 0) (void)::unlinkat(targetDir, temp.constData(), 0);  // rc tells the failure
  return rc;
}

int copyAt(int sourceDir, const QByteArray& source, int targetDir, const QByteArray& target, bool asLink,
           const std::atomic<bool>* stop) {
  return asLink ? copyLinkAt(sourceDir, source, targetDir, target)
                : copyFileAt(sourceDir, source, targetDir, target, stop);
}

}  // namespace

int copyFileReplacing(const QString& source, const QString& target, bool asLink, const std::atomic<bool>* stop) {
  return copyAt(AT_FDCWD, QFile::encodeName(source), AT_FDCWD, QFile::encodeName(target), asLink, stop);
}

int copyFileReplacingAt(DirectoryCursor& sourceDir, const QString& sourceName, DirectoryCursor& targetDir,
                        const QString& targetName, bool asLink, const std::atomic<bool>* stop) {
  int rc = 0;
  const int from = sourceDir.fd(&rc);
  if (from < 0) return rc;
  const int to = targetDir.fd(&rc);
  if (to < 0) return rc;
  return copyAt(from, QFile::encodeName(sourceName), to, QFile::encodeName(targetName), asLink, stop);
}

void allowUnnamedCopyFiles(bool allowed) { anonymousFilesLinkable = allowed; }

}  // namespace platform
