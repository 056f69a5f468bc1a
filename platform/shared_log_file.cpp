#include "platform/shared_log_file.h"

#include "platform/file_io.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

bool heldByAnother(int error) { return error == EAGAIN || error == EACCES; }

// Empties the file unless another process holds it; then holds it shared. Where there
// are no locks (the file system has none, or the file is open for writing only), a run
// is taken to be alone, as it always was.
bool emptyUnlessHeld(int fd, bool waitForShared) {
  const int exclusive = setLock(fd, F_WRLCK, false);
  if (heldByAnother(exclusive)) {
    if (waitForShared) (void)setLock(fd, F_RDLCK, true);  // without it the file is still appended to
    return false;
  }
  const bool emptied = ::ftruncate(fd, 0) == 0;
  if (exclusive == 0) (void)setLock(fd, F_RDLCK, false);  // no one else can hold it now
  return emptied;
}

}  // namespace

int SharedLogFile::open(const QString& path) {
  close();
  const QByteArray native = QFile::encodeName(path);
  // A shared lock needs the file open for reading; a file we may only write is written
  // as by a run alone.
  int fd = -1;
  for (const int access : {O_RDWR, O_WRONLY}) {
    do {
      fd = ::open(native.constData(), access | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EACCES) break;
  }
  if (fd < 0) return lastErrno();
  (void)emptyUnlessHeld(fd, true);
  fd_ = fd;
  return 0;
}

void SharedLogFile::close() {
  if (fd_ >= 0) ::close(fd_);  // lets go of the lock
  fd_ = -1;
}

int SharedLogFile::append(const char* data, std::size_t size) { return fd_ < 0 ? EBADF : writeAll(fd_, data, size); }

long long SharedLogFile::size() const {
  struct stat st;
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool SharedLogFile::emptyWhenAlone() { return fd_ >= 0 && emptyUnlessHeld(fd_, false); }

}  // namespace platform
