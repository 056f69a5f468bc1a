#include "platform/process_ids.h"

#include <pthread.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>

namespace platform {

namespace {

std::atomic<std::uint64_t> g_processId{0};
thread_local std::uint64_t t_threadId = 0;

// A fork leaves the child one thread, the one that forked: both ids change.
void readIdsAgainInChild() {
  g_processId.store(static_cast<std::uint64_t>(::getpid()), std::memory_order_relaxed);
  t_threadId = static_cast<std::uint64_t>(::gettid());
}

std::uint64_t readProcessId() {
  static const bool registered = ::pthread_atfork(nullptr, nullptr, &readIdsAgainInChild) == 0;
  (void)registered;
  const std::uint64_t id = static_cast<std::uint64_t>(::getpid());
  g_processId.store(id, std::memory_order_relaxed);
  return id;
}

}  // namespace

std::uint64_t currentProcessId() {
  const std::uint64_t id = g_processId.load(std::memory_order_relaxed);
  return id != 0 ? id : readProcessId();
}

std::uint64_t currentThreadId() {
  if (t_threadId == 0) t_threadId = static_cast<std::uint64_t>(::gettid());
  return t_threadId;
}

}  // namespace platform
