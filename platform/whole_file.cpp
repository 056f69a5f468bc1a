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
  unsigned rc =
      static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
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
