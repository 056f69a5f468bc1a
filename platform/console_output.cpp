#include "platform/console_output.h"

#include "platform/file_io.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

namespace {

int writeAllTo(int fd, const char* data, std::size_t size) {
  while (size > 0) {
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

bool consoleWriteFailsForGood(int error) { return error != EAGAIN && error != EWOULDBLOCK; }

}  // namespace platform
