#pragma once

#include <QByteArray>
#include <QString>

// Whole-file rewrites, for the text files the program writes. Paths are handed to the
// system as they are (callers pass "/" separators).
namespace platform {

// The most of a file's old text that a write in place keeps in memory, to put it back
// when the write fails; a larger file is refused (EFBIG) before it is touched.
constexpr long long kMaxKeptBytes = 64LL * 1024 * 1024;

// Where a write of a file failed: it could not be opened (or its replacement not made),
// or the bytes could not all be written; Restore: they could not, and the file's old text
// could not be put back either (or was never kept: a file we may write but not read), so
// the file holds neither text whole.
enum class WriteStep { Open, Write, Restore };

// Gives the file a new content and leaves it the file it was. Links are followed to the
// file they name, also one not made yet (it is made there; the link stays a link).
// The content goes to a new file beside it, synced, with the old file's owner, group,
// mode (setuid and setgid too) and extended attributes (ACLs among them), and is put
// under the name at once, so a reader sees the old file or the new one. Where a new file
// could not be the same file, the file itself is written instead: when it has more than
// one name, is not a regular file of a disk's file system, is mounted over its name, has
// an owner or group we cannot give back, or sits in a directory we cannot write or a
// sticky one where it is not ours. A name that changes meanwhile is looked at again
// before the rename (EAGAIN when it keeps changing). A missing file is made as an append
// makes it (mode 0666 less the umask, or the directory's default ACL). 0 or errno; no
// temporary file is left behind, and the old file is as it was unless failedAt says
// Restore.
[[nodiscard]] unsigned replaceFile(const QString& path, const QByteArray& content, WriteStep& failedAt);
[[nodiscard]] unsigned replaceFile(const QString& path, const QByteArray& content);

// As replaceFile, provided the file may be written (a read-only file is refused with
// EACCES); a device or a pipe is written as it is. 0 or errno, with the step that failed.
[[nodiscard]] unsigned writeWholeFile(const QString& path, const QByteArray& content, WriteStep& failedAt);

// Appends the content to the file (through links), created with mode 0666 less the umask
// when missing. When the bytes cannot all be written, a regular file is cut back to its
// old length (Restore when that fails), and one that this call created is removed (a link
// to it stays). Never waits for a pipe without a reader (ENXIO). 0 or errno, with the
// step that failed.
[[nodiscard]] unsigned appendToFile(const QString& path, const QByteArray& content, WriteStep& failedAt);

// Removes the named temporary files of replacements under way, for a stop that ends the
// program before they are done. Safe from any thread and from a signal handler.
void removePendingTemporaryFiles();

// What an errno value of these functions means, for a log line; after a failure at
// Restore it adds that the file's old text could not be put back.
QString fileErrorText(unsigned code);
QString fileErrorText(unsigned code, WriteStep failedAt);

}  // namespace platform
