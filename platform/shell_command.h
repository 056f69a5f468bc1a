#pragma once

#include <QString>

namespace platform {

// Runs one command line through /bin/sh -c (the C library's system()) and waits for
// it. 0 and the shell's exit status, or 128 + the signal for a shell ended by one;
// errno when the shell could not be run (possibly 0), with exitCode 0. A command
// holding a zero character gives EINVAL: it would run only its first part.
[[nodiscard]] unsigned runShellCommand(const QString& command, int& exitCode);

}  // namespace platform
