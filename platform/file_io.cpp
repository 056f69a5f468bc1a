#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
std::atomic<long long> writeBudget{-1};
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

void setWriteBudgetForTesting(long long bytes) { writeBudget = bytes; }

int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    std::size_t chunk = size;
    const long long budget = writeBudget.load(std::memory_order_relaxed);
    if (budget >= 0) {
      if (budget == 0) return ENOSPC;
      chunk = std::min(chunk, static_cast<std::size_t>(budget));
    }
    const ssize_t n = ::write(fd, data, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastErrno();
    }
    if (budget >= 0) writeBudget -= n;
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
