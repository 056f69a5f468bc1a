#pragma once

#include <QString>

#include <cstddef>

namespace platform {

// A log file that several processes write at once, as two runs in one program directory
// do. Every write goes to the file's end, and each process holds a shared lock on the file
// for as long as it has it open; the file is emptied only by a process that can take the
// lock exclusively at once, that is, while no other process holds it. The lock belongs to
// this open file alone (not to the process) and is not inherited by child processes.
// A file that this process may write but not read takes no lock and is never emptied.
class SharedLogFile {
 public:
  // How long an open waits, at most, for another process to let go of the file.
  static constexpr int kLockWaitMs = 2000;

  SharedLogFile() = default;
  ~SharedLogFile() { close(); }
  SharedLogFile(const SharedLogFile&) = delete;
  SharedLogFile& operator=(const SharedLogFile&) = delete;

  // Opens the file for appending, created when missing, and empties it when no other
  // process holds it. Waits only while another process holds the file exclusively (as it
  // does while it empties it), up to lockWaitMs or a stop signal; past that the file is
  // written without the lock. 0 or errno.
  [[nodiscard]] int open(const QString& path, int lockWaitMs = kLockWaitMs);
  bool isOpen() const { return fd_ >= 0; }
  void close();

  // Writes the bytes at the end of the file in one call (more only after a short write),
  // so that the lines of two processes never mix: 0 or errno.
  [[nodiscard]] int append(const char* data, std::size_t size);
  // The file's size, with what other processes wrote; -1 when it cannot be read.
  long long size() const;
  // Empties the file when no other process holds it: whether it did. The shared lock is
  // kept either way (and taken, when the open had to go on without it and it is free now).
  bool emptyWhenAlone();

  // Keeps a descriptor of the open file for appendForStop, never closed.
  void keepForStopLine();
  // Appends to the file last kept so, without any object of this class: for the line that
  // must reach the log while another thread may be inside one. 0 or errno (EBADF when no
  // file was kept).
  [[nodiscard]] static int appendForStop(const char* data, std::size_t size);

 private:
  // Empties the file unless another process holds it, and holds it shared; waits up to
  // waitMs for the shared lock when another holds it exclusively. Whether it emptied it.
  bool emptyUnlessHeld(int waitMs);

  int fd_ = -1;
  bool readable_ = false;  // only a file open for reading can hold the shared lock
  bool locked_ = false;
};

}  // namespace platform
