#include "platform/shell_command.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

unsigned runShellCommand(const QString& command, int& exitCode) {
  exitCode = 0;
  const QByteArray native = command.toLocal8Bit();
  if (native.contains('\0')) return EINVAL;
  errno = 0;
  const int status = std::system(native.constData());
  if (status == -1) return static_cast<unsigned>(errno);
  if (WIFEXITED(status))
    exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    exitCode = 128 + WTERMSIG(status);  // the shells' convention; WEXITSTATUS would say 0
  return 0;
}

}  // namespace platform
