#include "platform/file_lock.h"

#include "platform/file_io.h"
#include "platform/stop_signals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

// A stop that comes between the test of stopSignal and the wait is seen at the next tick.
constexpr int kWakeTickMs = 50;

struct flock wholeFile(FileLock kind) {
  struct flock lock {};
  lock.l_type = kind == FileLock::Exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;  // from 0 with length 0: the whole file, however long
  return lock;
}

// Cuts a lock wait short: caught, without SA_RESTART, by a handler that does nothing.
int wakeSignal() { return SIGRTMIN + 3; }

void onWake(int) {}

bool installWakeHandler() {
  static std::once_flag once;
  static bool installed = false;
  std::call_once(once, [] {
    struct sigaction action = {};
    action.sa_handler = &onWake;
    ::sigemptyset(&action.sa_mask);
    installed = ::sigaction(wakeSignal(), &action, nullptr) == 0;
  });
  return installed;
}

timespec inTimespec(std::chrono::milliseconds ms) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(ms.count() / 1000);
  t.tv_nsec = static_cast<long>(ms.count() % 1000) * 1000000L;
  return t;
}

int tryOnce(int fd, FileLock kind) {
  const int rc = tryFileLock(fd, kind);
  return heldByAnother(rc) ? ETIMEDOUT : rc;
}

}  // namespace

int tryFileLock(int fd, FileLock kind) {
  struct flock lock = wholeFile(kind);
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return 0;
    if (errno != EINTR) return lastErrno();
  }
}

bool heldByAnother(int error) { return error == EAGAIN || error == EACCES; }

// The stop signal comes to the run's own thread (the stop's thread blocks it) and cuts
// the wait short; a timer of this thread wakes it at every tick to look at the clock.
int waitForFileLock(int fd, FileLock kind, int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = wakeSignal();
  event._sigev_un._tid = ::gettid();
  timer_t timer;
  if (ms <= 0 || !installWakeHandler() || ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
    return tryOnce(fd, kind);
  itimerspec when{};
  when.it_value = inTimespec(std::chrono::milliseconds(std::min(ms, kWakeTickMs)));
  when.it_interval = inTimespec(std::chrono::milliseconds(kWakeTickMs));
  int result = ::timer_settime(timer, 0, &when, nullptr) == 0 ? -1 : tryOnce(fd, kind);
  struct flock lock = wholeFile(kind);
  while (result < 0) {
    if (stopSignal() != 0) {
      result = EINTR;
    } else if (::fcntl(fd, F_OFD_SETLKW, &lock) == 0) {
      result = 0;
    } else if (errno != EINTR) {
      result = lastErrno();
    } else if (Clock::now() >= deadline) {
      result = ETIMEDOUT;
    }
  }
  ::timer_delete(timer);
  return result;
}

}  // namespace platform
