#include "platform/shared_log_file.h"

#include "platform/file_io.h"
#include "platform/stop_signals.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

// Locks of the open file description: unlike flock, a shared lock turns exclusive (and
// back) in one step or not at all, so a failed try never lets go of the shared lock; and
// unlike the process's record locks, closing another descriptor of the file drops nothing.
int setLock(int fd, short type, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;  // from 0 with length 0: the whole file, however long
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return 0;
    if (errno != EINTR) return lastErrno();
  }
}

// The descriptor of keepForStopLine; one that it replaces is left open, as a thread may be
// writing through it.
std::atomic<int> g_stopLineFd{-1};

bool heldByAnother(int error) { return error == EAGAIN || error == EACCES; }

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

// Waits for the lock up to ms, cut short by a stop signal (which comes to the run's own
// thread: the stop's thread blocks it) or, at the latest, by a timer of this thread.
// 0, ETIMEDOUT, EINTR for a stop, or errno.
int waitForLock(int fd, short type, int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = wakeSignal();
  event._sigev_un._tid = ::gettid();
  timer_t timer;
  if (ms <= 0 || !installWakeHandler() || ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
    return setLock(fd, type, false) == 0 ? 0 : ETIMEDOUT;
  // Again and again past the deadline: a signal that came just before the wait began
  // does not leave it waiting for ever.
  itimerspec when{};
  when.it_value = inTimespec(std::chrono::milliseconds(ms));
  when.it_interval = inTimespec(std::chrono::milliseconds(50));
  int result = ::timer_settime(timer, 0, &when, nullptr) == 0 ? -1 : setLock(fd, type, false);
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
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

}  // namespace

int SharedLogFile::open(const QString& path, int lockWaitMs) {
  close();
  const QByteArray native = QFile::encodeName(path);
  // A shared lock needs the file open for reading; a file we may only write is written
  // without one.
  int fd = -1;
  int access = O_RDWR;
  for (const int tried : {O_RDWR, O_WRONLY}) {
    access = tried;
    do {
      fd = ::open(native.constData(), access | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EACCES) break;
  }
  if (fd < 0) return lastErrno();
  fd_ = fd;
  readable_ = access == O_RDWR;
  locked_ = false;
  if (!readable_) return 0;  // another run may have it: it cannot tell us
  (void)emptyUnlessHeld(lockWaitMs);
  return 0;
}

bool SharedLogFile::emptyUnlessHeld(int waitMs) {
  const int exclusive = setLock(fd_, F_WRLCK, false);
  if (heldByAnother(exclusive)) {
    // Without the shared lock the file is still appended to, only not kept from emptying.
    if (!locked_) locked_ = waitForLock(fd_, F_RDLCK, waitMs) == 0;
    return false;
  }
  // Where the file system has no such locks, a run is taken to be alone.
  const bool emptied = ::ftruncate(fd_, 0) == 0;
  if (exclusive == 0) locked_ = setLock(fd_, F_RDLCK, false) == 0;  // no one else can hold it now
  return emptied;
}

void SharedLogFile::close() {
  if (fd_ >= 0) ::close(fd_);  // lets go of the lock
  fd_ = -1;
  readable_ = false;
  locked_ = false;
}

int SharedLogFile::append(const char* data, std::size_t size) { return fd_ < 0 ? EBADF : writeAll(fd_, data, size); }

long long SharedLogFile::size() const {
  struct stat st;
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool SharedLogFile::emptyWhenAlone() { return fd_ >= 0 && readable_ && emptyUnlessHeld(0); }

void SharedLogFile::keepForStopLine() {
  if (fd_ < 0) return;
  const int kept = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (kept >= 0) g_stopLineFd.store(kept);
}

int SharedLogFile::appendForStop(const char* data, std::size_t size) {
  const int fd = g_stopLineFd.load();
  return fd < 0 ? EBADF : writeAll(fd, data, size);
}

}  // namespace platform
