#include "platform/file_io.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

ssize_t systemWrite(int fd, const void* data, std::size_t size, off_t offset) {
  return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}

std::atomic<WriteCall> g_write{systemWrite};

// A negative offset writes at the file's position.
int writeFrom(int fd, const char* data, std::size_t size, off_t offset, std::size_t& written) {
  const WriteCall call = g_write.load(std::memory_order_relaxed);
  written = 0;
  while (written < size) {
    const off_t at = offset < 0 ? -1 : offset + static_cast<off_t>(written);
    const ssize_t n = call(fd, data + written, size - written, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return lastErrno();
    // A file that takes nothing would be asked again for ever.
    if (n == 0) return EIO;
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

// Read once: umask() can only be read by setting it, and only tasks on the one task
// thread create files.
mode_t processUmask() {
  static const mode_t mask = [] {
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }();
  return mask;
}

int lastErrno() { return errno != 0 ? errno : EIO; }

void setWriteCallForTesting(WriteCall call) { g_write = call ? call : systemWrite; }

int writeAll(int fd, const char* data, std::size_t size) {
  std::size_t written = 0;
  return writeFrom(fd, data, size, -1, written);
}

int writeAllAt(int fd, const char* data, std::size_t size, off_t offset, std::size_t& written) {
  return writeFrom(fd, data, size, offset < 0 ? 0 : offset, written);
}

bool makeBlocking(int fd, struct stat& st) {
  const int flags = ::fcntl(fd, F_GETFL);
  return ::fstat(fd, &st) == 0 && flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

QByteArray directoryOf(const QByteArray& path) {
  const int slash = path.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

}  // namespace platform
