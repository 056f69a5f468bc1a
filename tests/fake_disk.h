#pragma once

// Disks that run out of room, for the platform layer's writes within a scope: the tests
// put a write call of their own in place of the system's.

#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

class ScopedDiskSpace {
 public:
  // A full disk with this many bytes free: bytes written over what a file already holds
  // take no room, bytes that lengthen a file do.
  static ScopedDiskSpace full(long long freeBytes) { return ScopedDiskSpace(freeBytes, false); }
  // A disk that fails every write after this many more bytes, also over what a file
  // holds (a disk that broke, or one whose every block is taken at once).
  static ScopedDiskSpace failingAfter(long long bytes) { return ScopedDiskSpace(bytes, true); }

  ~ScopedDiskSpace() { platform::setWriteCallForTesting(nullptr); }
  ScopedDiskSpace(const ScopedDiskSpace&) = delete;
  ScopedDiskSpace& operator=(const ScopedDiskSpace&) = delete;

 private:
  ScopedDiskSpace(long long bytes, bool everyByte) {
    left() = bytes;
    everyByteCounts() = everyByte;
    platform::setWriteCallForTesting(write);
  }

  static std::atomic<long long>& left() {
    static std::atomic<long long> bytes{0};
    return bytes;
  }
  static std::atomic<bool>& everyByteCounts() {
    static std::atomic<bool> every{false};
    return every;
  }

  static ssize_t write(int fd, const void* data, std::size_t size, off_t offset) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return -1;
    off_t at = offset;
    if (at < 0) at = (::fcntl(fd, F_GETFL) & O_APPEND) ? st.st_size : ::lseek(fd, 0, SEEK_CUR);
    const long long end = static_cast<long long>(at) + static_cast<long long>(size);
    const long long held = everyByteCounts() || at < 0 ? 0 : std::max(0LL, std::min<long long>(st.st_size, end) - at);
    const long long room = held + std::max(0LL, left().load());
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    const std::size_t chunk = static_cast<std::size_t>(std::min<long long>(static_cast<long long>(size), room));
    const ssize_t n = offset < 0 ? ::write(fd, data, chunk) : ::pwrite(fd, data, chunk, offset);
    if (n > 0) left() -= std::max(0LL, n - held);
    return n;
  }
};

}  // namespace testing_support
