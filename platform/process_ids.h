#pragma once

#include <cstdint>

namespace platform {

// Both are asked of the system once (the thread id once per thread) and kept; a
// forked child reads its own again.
std::uint64_t currentProcessId();
// The kernel's id of the calling thread.
std::uint64_t currentThreadId();

}  // namespace platform
