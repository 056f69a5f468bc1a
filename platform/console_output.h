#pragma once

#include <cstddef>

namespace platform {

// How long a console write waits for room once a stop has come; a line that finds none
// is dropped, and the lines after it then wait for none at all until one goes through.
constexpr int kStopWriteWaitMs = 100;

// Writes all the bytes to standard output, or standard error, past interruptions and short
// writes, at once and without a lock (a thread that must not wait on one held by another
// may call it): 0 or errno (EPIPE once the reader has gone). Once a stop has come, a
// console that no one reads holds nothing up: the write waits as said above and gives
// EAGAIN for a line it dropped.
[[nodiscard]] int writeStandardOutput(const char* data, std::size_t size);
[[nodiscard]] int writeStandardError(const char* data, std::size_t size);

// The same without any wait: only what the console takes at once is written.
[[nodiscard]] int writeStandardOutputAtOnce(const char* data, std::size_t size);
[[nodiscard]] int writeStandardErrorAtOnce(const char* data, std::size_t size);

// Whether a console write that failed with the error would fail for every later line too:
// any failure but a full pipe of a non-blocking console, or a line dropped in a stop.
bool consoleWriteFailsForGood(int error);

}  // namespace platform
