#pragma once

#include <QByteArray>
#include <QString>

// Whole-file replacement, for the small text files the program rewrites. Paths are
// handed to the system as they are (callers pass "/" separators).
namespace platform {

// Replaces the file whole: the content goes to a temporary file beside it, is synced,
// takes the old file's permission bits (and owner, when we may) and is renamed over it,
// so a reader sees the old file or the new one, never a part. A link stays a link: the
// file it points at is replaced. A missing file is created with mode 0666 less the
// umask, as an append creates it. 0 or errno; on failure the old file is as it was and
// no temporary file is left behind.
[[nodiscard]] unsigned replaceFile(const QString& path, const QByteArray& content);

// Where a write of a file failed: it could not be opened (or its replacement not made),
// or the bytes could not all be written.
enum class WriteStep { Open, Write };

// Gives the file a new content. A regular file, or none, is replaced as by replaceFile,
// provided the file may be written (a read-only file is refused with EACCES); a device,
// a pipe or a link to a file not made yet has nothing to keep and is written as by
// appendToFile. 0 or errno, with the step that failed.
[[nodiscard]] unsigned writeWholeFile(const QString& path, const QByteArray& content, WriteStep& failedAt);

// Appends the content to the file, created with mode 0666 less the umask when missing.
// When the bytes cannot all be written, a regular file is cut back to its old length, and
// one that this call created is removed. Never waits for a pipe without a reader (ENXIO).
// 0 or errno, with the step that failed.
[[nodiscard]] unsigned appendToFile(const QString& path, const QByteArray& content, WriteStep& failedAt);

// What an errno value of these functions means, for a log line.
QString fileErrorText(unsigned code);

}  // namespace platform
