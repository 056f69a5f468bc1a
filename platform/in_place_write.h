#pragma once

#include "platform/rewrite_choice.h"

#include <QByteArray>

namespace platform {

// Writes the target file itself, as the shell's ">" does, for a file that a new one could
// not stand in for. A file on a disk is overwritten from its start and cut to the new
// length at the end, with its old text kept (kMaxKeptBytes at most; EFBIG past that,
// before it is touched) and written back into the blocks it still holds when the write
// fails; step Restore when that fails too, or when the file could be written but not
// read, so that its old text was not kept. Changed when the name no longer holds the
// file the choice was made on.
[[nodiscard]] Attempt writeInPlace(const RewriteTarget& target, const QByteArray& content);

}  // namespace platform
