#pragma once

#include <cstdint>

namespace platform {

std::uint64_t currentProcessId();
// The kernel's id of the calling thread.
std::uint64_t currentThreadId();

}  // namespace platform
