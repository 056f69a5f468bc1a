#pragma once

// Locks of an open file description, for files that several runs share. Unlike flock, a
// shared lock turns exclusive (and back) in one step or not at all; unlike the process's
// record locks, closing another descriptor of the file drops nothing, and a child process
// started later holds none. Each covers the whole file, however long.
namespace platform {

enum class FileLock { Shared, Exclusive };

// Takes the lock at once: 0, EAGAIN or EACCES while another holds it (heldByAnother),
// or errno (EINVAL or ENOLCK where the file system has no such locks).
[[nodiscard]] int tryFileLock(int fd, FileLock kind);

// Waits for the lock up to ms, cut short by a stop signal: 0, ETIMEDOUT, EINTR for a
// stop, or errno as tryFileLock gives it.
[[nodiscard]] int waitForFileLock(int fd, FileLock kind, int ms);

bool heldByAnother(int error);

}  // namespace platform
