#include "platform/process_ids.h"

#include <sys/types.h>
#include <unistd.h>

namespace platform {

std::uint64_t currentProcessId() { return static_cast<std::uint64_t>(::getpid()); }

std::uint64_t currentThreadId() { return static_cast<std::uint64_t>(::gettid()); }

}  // namespace platform
