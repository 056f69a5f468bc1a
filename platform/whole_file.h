#pragma once

#include <QByteArray>
#include <QString>

// Whole-file replacement, for the small text files the program rewrites. Paths are
// handed to the system as they are (callers pass "/" separators).
namespace platform {

// Replaces the file whole: the content goes to a temporary file beside it, is synced,
// takes the old file's permission bits (and owner, when we may) and is renamed over it,
// so a reader sees the old file or the new one, never a part. A link stays a link: the
// file it points at is replaced. A missing file is created with mode 0644. 0 or errno;
// on failure the old file is as it was and no temporary file is left behind.
[[nodiscard]] unsigned replaceFile(const QString& path, const QByteArray& content);

// What an errno value of replaceFile means, for a log line.
QString fileErrorText(unsigned code);

}  // namespace platform
