#include "platform/whole_file.h"

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

[[nodiscard]] unsigned lastError() { return errno != 0 ? static_cast<unsigned>(errno) : static_cast<unsigned>(EIO); }

[[nodiscard]] unsigned writeAll(int fd, const QByteArray& data) {
  const char* p = data.constData();
  qint64 left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    p += n;
    left -= n;
  }
  return 0;
}

QByteArray directoryOf(const QByteArray& path) {
  const int slash = path.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

}  // namespace

unsigned replaceFile(const QString& path, const QByteArray& content) {
  QByteArray target = QFile::encodeName(path);
  struct stat old {};
  bool exists = false;
  if (char* resolved = ::realpath(target.constData(), nullptr)) {
    target = resolved;
    std::free(resolved);
    if (::stat(target.constData(), &old) != 0) return lastError();
    exists = true;
  } else if (errno != ENOENT) {
    return lastError();
  }

  const QByteArray name = target.mid(target.lastIndexOf('/') + 1).left(kMaxTempBaseName);
  QByteArray temp = directoryOf(target) + "/." + name + ".XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return lastError();
  unsigned rc = writeAll(fd.get(), content);
  if (rc == 0 && ::fchmod(fd.get(), exists ? (old.st_mode & 07777) : 0644) != 0) rc = lastError();
  if (rc == 0 && exists) {
    // Keeps the owner when we may; an ordinary user writes a file of their own.
    if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) errno = 0;
  }
  if (rc == 0 && ::fsync(fd.get()) != 0) rc = lastError();
  if (rc == 0 && fd.close() != 0) rc = lastError();
  if (rc == 0 && ::rename(temp.constData(), target.constData()) != 0) rc = lastError();
  if (rc != 0) ::unlink(temp.constData());
  return rc;
}

QString fileErrorText(unsigned code) { return QString::fromLocal8Bit(std::strerror(static_cast<int>(code))); }

}  // namespace platform
