#include "platform/whole_file.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A temporary name must stay within the file system's limit on one name.
constexpr int kMaxTempBaseName = 200;

[[nodiscard]] unsigned lastError() { return static_cast<unsigned>(lastErrno()); }

// The file a path names once links are followed (the path itself while nothing is
// there), and what it is.
struct Target {
  QByteArray path;
  struct stat old {};
  bool exists = false;
};

[[nodiscard]] unsigned resolve(const QString& path, Target& target) {
  target.path = QFile::encodeName(path);
  if (char* resolved = ::realpath(target.path.constData(), nullptr)) {
    target.path = resolved;
    std::free(resolved);
    if (::stat(target.path.constData(), &target.old) != 0) return lastError();
    target.exists = true;
  } else if (errno != ENOENT) {
    return lastError();
  }
  return 0;
}

[[nodiscard]] unsigned replaceResolved(const Target& target, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  const QByteArray name = target.path.mid(target.path.lastIndexOf('/') + 1).left(kMaxTempBaseName);
  QByteArray temp = directoryOf(target.path) + "/." + name + ".XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return lastError();
  failedAt = WriteStep::Write;
  unsigned rc =
      static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  const mode_t mode = target.exists ? (target.old.st_mode & 07777) : (0666 & ~processUmask());
  if (rc == 0 && ::fchmod(fd.get(), mode) != 0) rc = lastError();
  if (rc == 0 && target.exists) {
    // Keeps the owner when we may; an ordinary user writes a file of their own.
    if (::fchown(fd.get(), target.old.st_uid, target.old.st_gid) != 0) errno = 0;
  }
  if (rc == 0 && ::fsync(fd.get()) != 0) rc = lastError();
  if (rc == 0 && fd.close() != 0) rc = lastError();
  if (rc == 0 && ::rename(temp.constData(), target.path.constData()) != 0) rc = lastError();
  if (rc != 0) ::unlink(temp.constData());
  return rc;
}

}  // namespace

unsigned replaceFile(const QString& path, const QByteArray& content) {
  Target target;
  const unsigned rc = resolve(path, target);
  if (rc != 0) return rc;
  WriteStep failedAt;
  return replaceResolved(target, content, failedAt);
}

unsigned writeWholeFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  Target target;
  const unsigned rc = resolve(path, target);
  if (rc != 0) return rc;
  if (target.exists && !S_ISREG(target.old.st_mode)) return appendToFile(path, content, failedAt);
  // A link to a file not made yet has nothing to keep; the file is made where it points.
  struct stat link;
  if (!target.exists && ::lstat(target.path.constData(), &link) == 0) return appendToFile(path, content, failedAt);
  // The rename would replace a file that an open for writing refuses.
  if (target.exists && ::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0) return lastError();
  return replaceResolved(target, content, failedAt);
}

unsigned appendToFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  const QByteArray native = QFile::encodeName(path);
  // Non-blocking only while opening: a pipe without a reader is refused, not waited on.
  const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool created = false;
  int opened = ::open(native.constData(), flags);
  if (opened < 0 && errno == ENOENT) {
    opened = ::open(native.constData(), flags | O_CREAT | O_EXCL, 0666);
    created = opened >= 0;
    // A link to a file not made yet: made where it points, as an ordinary open does.
    if (opened < 0 && errno == EEXIST) opened = ::open(native.constData(), flags | O_CREAT, 0666);
  }
  if (opened < 0) return lastError();
  UniqueFd fd(opened);
  struct stat old {};
  const int mode = ::fcntl(fd.get(), F_GETFL);
  if (::fstat(fd.get(), &old) != 0 || mode < 0 || ::fcntl(fd.get(), F_SETFL, mode & ~O_NONBLOCK) != 0)
    return lastError();
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

QString fileErrorText(unsigned code) { return QString::fromLocal8Bit(std::strerror(static_cast<int>(code))); }

}  // namespace platform
