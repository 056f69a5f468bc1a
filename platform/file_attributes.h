#pragma once

#include "platform/rewrite_choice.h"

namespace platform {

// Gives the new file fd what the target's old file is: owner, group, extended attributes
// (ACLs among them) and mode, setuid and setgid too. CannotKeep where one of them cannot
// be given; Changed when the name no longer holds the file the choice was made on.
[[nodiscard]] Attempt keepWhatItWas(int fd, const RewriteTarget& target);

}  // namespace platform
