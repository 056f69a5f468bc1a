#pragma once

#include <cstddef>

namespace platform {

// Writes all the bytes to standard output, or standard error, past interruptions and short
// writes, at once and without a lock (a thread that must not wait on one held by another
// may call it): 0 or errno (EPIPE once the reader has gone).
[[nodiscard]] int writeStandardOutput(const char* data, std::size_t size);
[[nodiscard]] int writeStandardError(const char* data, std::size_t size);

// Whether a console write that failed with the error would fail for every later line too:
// any failure but a full pipe of a non-blocking console.
bool consoleWriteFailsForGood(int error);

}  // namespace platform
