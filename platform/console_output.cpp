#include "platform/console_output.h"

#include "platform/file_io.h"
#include "platform/stop_signals.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <unistd.h>

namespace platform {

namespace {

// A line was dropped: the console is not being read.
std::atomic<bool> g_stalled{false};

// In pieces that a pipe with room takes whole, each after the console says it has room,
// so that no write blocks.
int writeWithoutBlocking(int fd, const char* data, std::size_t size, int waitMs) {
  while (size > 0) {
    pollfd out{fd, POLLOUT, 0};
    const int ready = ::poll(&out, 1, g_stalled.load() ? 0 : waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      g_stalled.store(true);
      return EAGAIN;
    }
    const ssize_t n = ::write(fd, data, std::min<std::size_t>(size, PIPE_BUF));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? lastErrno() : EIO;
    g_stalled.store(false);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int writeAllTo(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    // The stop's signal cuts a blocked write short; a console no one reads must not
    // take it up again.
    if (stopSignal() != 0) return writeWithoutBlocking(fd, data, size, kStopWriteWaitMs);
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? lastErrno() : EIO;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

int writeStandardOutput(const char* data, std::size_t size) { return writeAllTo(STDOUT_FILENO, data, size); }

int writeStandardError(const char* data, std::size_t size) { return writeAllTo(STDERR_FILENO, data, size); }

int writeStandardOutputAtOnce(const char* data, std::size_t size) {
  return writeWithoutBlocking(STDOUT_FILENO, data, size, 0);
}

int writeStandardErrorAtOnce(const char* data, std::size_t size) {
  return writeWithoutBlocking(STDERR_FILENO, data, size, 0);
}

bool consoleWriteFailsForGood(int error) { return error != EAGAIN && error != EWOULDBLOCK; }

}  // namespace platform
