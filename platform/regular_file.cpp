#include "platform/regular_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

ReadOpen openRegularFileForReading(const QString& path, int* fd, int* error) {
  const QByteArray native = QFile::encodeName(path);
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one for ever.
  int handle;
  do {
    handle = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    if (error) *error = errno;
    return ReadOpen::Failed;
  }
  struct stat info;
  if (::fstat(handle, &info) != 0) {
    if (error) *error = errno;
    ::close(handle);
    return ReadOpen::Failed;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(handle);
    return ReadOpen::NotRegular;
  }
  const int flags = ::fcntl(handle, F_GETFL);
  if (flags < 0 || ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    if (error) *error = errno;
    ::close(handle);
    return ReadOpen::Failed;
  }
  *fd = handle;
  return ReadOpen::Opened;
}

void closeDescriptor(int fd) { ::close(fd); }

namespace {

// The type and permission bits once links are followed; 0 when nothing is there.
mode_t modeOf(const QString& path) {
  struct stat info;
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

}  // namespace

bool isRegularFile(const QString& path) { return S_ISREG(modeOf(path)); }

bool isCharacterDevice(const QString& path) { return S_ISCHR(modeOf(path)); }

}  // namespace platform
