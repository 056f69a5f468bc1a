#pragma once

#include <QByteArray>

#include <cstddef>
#include <sys/types.h>

// Small pieces of the platform's own file code, shared by its files.
namespace platform {

// errno, or EIO for a call that failed without setting it.
int lastErrno();

// Writes all size bytes, past interruptions and short writes: 0 or errno.
[[nodiscard]] int writeAll(int fd, const char* data, std::size_t size);

// For tests only: after this many more bytes, writeAll fails with ENOSPC as on a full
// disk; a negative budget (the default) never fails.
void setWriteBudgetForTesting(long long bytes);

// The process's file-creation mask.
mode_t processUmask();

// The directory of a path in "/" form: "." for a bare name, "/" for one right below the root.
QByteArray directoryOf(const QByteArray& path);

}  // namespace platform
