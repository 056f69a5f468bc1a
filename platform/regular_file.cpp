#include "platform/regular_file.h"

#include <QFile>

#include <cerrno>
#include <limits>
#include <utility>
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

ReadOpen readRegularFile(const QString& path, qint64 limit, QByteArray* content, int* error) {
  limit = qBound<qint64>(0, limit, std::numeric_limits<int>::max() - 1);
  const QByteArray native = QFile::encodeName(path);
  int handle;
  do {
    handle = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    if (error) *error = errno;
    return ReadOpen::Failed;
  }
  // A regular file never makes a read wait, so O_NONBLOCK may stay.
  struct stat info;
  ReadOpen result = ReadOpen::Opened;
  if (::fstat(handle, &info) != 0) {
    if (error) *error = errno;
    result = ReadOpen::Failed;
  } else if (!S_ISREG(info.st_mode)) {
    result = ReadOpen::NotRegular;
  } else if (info.st_size > limit) {
    result = ReadOpen::TooLarge;
  }
  QByteArray data;
  // One byte beyond the size, so that the end shows in the next read, not in a third.
  qint64 used = 0;
  if (result == ReadOpen::Opened) data.resize(int(qMin<qint64>(info.st_size, limit) + 1));
  while (result == ReadOpen::Opened) {
    if (used == data.size()) {
      if (used > limit) {
        result = ReadOpen::TooLarge;
        break;
      }
      data.resize(int(qMin<qint64>(2 * used, limit + 1)));
    }
    const ssize_t got = ::read(handle, data.data() + used, size_t(data.size() - used));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (error) *error = errno;
      result = ReadOpen::Failed;
    } else if (got == 0) {
      break;
    } else {
      used += got;
    }
  }
  ::close(handle);
  if (result != ReadOpen::Opened) return result;
  if (used > limit) return ReadOpen::TooLarge;
  data.resize(int(used));
  *content = std::move(data);
  return ReadOpen::Opened;
}

void closeDescriptor(int fd) { ::close(fd); }

bool isRegularFile(const QString& path) {
  struct stat info;
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace platform
