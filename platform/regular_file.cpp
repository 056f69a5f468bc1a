#include "platform/regular_file.h"

#include <QFile>

#include <cerrno>
#include <limits>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Opens a regular file without ever waiting: O_NONBLOCK, since opening a FIFO without a
// writer would otherwise wait for one for ever. On Opened the descriptor stays open,
// still non-blocking, and *size is the file's size.
ReadOpen openWithoutWaiting(const QString& path, int* fd, qint64* size, int* error) {
  const QByteArray native = QFile::encodeName(path);
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
  *fd = handle;
  *size = info.st_size;
  return ReadOpen::Opened;
}

}  // namespace

ReadOpen openRegularFileForReading(const QString& path, int* fd, int* error) {
  int handle = -1;
  qint64 size = 0;
  const ReadOpen opened = openWithoutWaiting(path, &handle, &size, error);
  if (opened != ReadOpen::Opened) return opened;
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
  int handle = -1;
  qint64 size = 0;
  const ReadOpen opened = openWithoutWaiting(path, &handle, &size, error);
  if (opened != ReadOpen::Opened) return opened;
  // A regular file never makes a read wait, so O_NONBLOCK may stay.
  if (size > limit) {
    ::close(handle);
    return ReadOpen::TooLarge;
  }
  // One byte beyond the size, so that the end shows in the next read, not in a third.
  QByteArray data;
  data.resize(int(size + 1));
  qint64 used = 0;
  ReadOpen result = ReadOpen::Opened;
  for (;;) {
    if (used == data.size()) {
      // The file grew since it was measured.
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
    }
    if (got <= 0) break;
    used += got;
  }
  ::close(handle);
  if (result == ReadOpen::Opened && used > limit) result = ReadOpen::TooLarge;
  if (result != ReadOpen::Opened) return result;
  data.resize(int(used));
  *content = std::move(data);
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
