#include "platform/shared_log_file.h"

#include "platform/file_io.h"
#include "platform/file_lock.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The descriptor of keepForStopLine; one that it replaces is left open, as a thread may be
// writing through it.
std::atomic<int> g_stopLineFd{-1};

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
  const int exclusive = tryFileLock(fd_, FileLock::Exclusive);
  if (heldByAnother(exclusive)) {
    // Without the shared lock the file is still appended to, only not kept from emptying.
    if (!locked_) locked_ = waitForFileLock(fd_, FileLock::Shared, waitMs) == 0;
    return false;
  }
  // Where the file system has no such locks, a run is taken to be alone.
  const bool emptied = ::ftruncate(fd_, 0) == 0;
  if (exclusive == 0) locked_ = tryFileLock(fd_, FileLock::Shared) == 0;  // no one else can hold it now
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
