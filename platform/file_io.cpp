#include "platform/file_io.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

int lastErrno() { return errno != 0 ? errno : EIO; }

int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastErrno();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

QByteArray directoryOf(const QByteArray& path) {
  const int slash = path.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

}  // namespace platform
