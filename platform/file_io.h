#pragma once

#include <QByteArray>

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// Small pieces of the platform's own file code, shared by its files.
namespace platform {

// errno, or EIO for a call that failed without setting it.
int lastErrno();

// The one call through which the platform's files are written: at the offset, or at the
// file's position where the offset is negative. It is write(2) or pwrite(2); a test puts
// in one of its own to make writes fail as on a full disk.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size, off_t offset);
// nullptr puts the system's call back.
void setWriteCallForTesting(WriteCall call);

// Writes all size bytes at the file's position, past interruptions and short writes:
// 0 or errno.
[[nodiscard]] int writeAll(int fd, const char* data, std::size_t size);

// Writes all size bytes from the offset on; written counts the bytes that reached the
// file, also when the write fails. 0 or errno.
[[nodiscard]] int writeAllAt(int fd, const char* data, std::size_t size, off_t offset, std::size_t& written);

// A file opened non-blocking, so that a pipe without a reader is refused instead of
// waited on, is made blocking for its writes: what it is, or false with errno.
bool makeBlocking(int fd, struct stat& st);

// The process's file-creation mask.
mode_t processUmask();

// The directory of a path in "/" form: "." for a bare name, "/" for one right below the root.
QByteArray directoryOf(const QByteArray& path);

}  // namespace platform
