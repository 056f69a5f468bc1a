#pragma once

#include "platform/rewrite_choice.h"

#include <QByteArray>

namespace platform {

// Writes the content to a new file beside the target and puts it under the target's name
// at once, so a reader sees the old file or the new one. The new file has no name while
// it is written where the file system allows that; it takes the old file's owner,
// group, mode and extended attributes, or a new file's mode from the umask and the
// directory's default ACL. CannotKeep where it could not be the same file; Changed,
// with nothing left behind, when the name changed before the rename.
[[nodiscard]] Attempt writeReplacement(const RewriteTarget& target, const QByteArray& content);

}  // namespace platform
