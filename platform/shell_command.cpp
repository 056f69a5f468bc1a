#include "platform/shell_command.h"

#include "platform/stop_signals.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {

unsigned runShellCommand(const QString& command, int& exitCode, int* endSignal) {
  exitCode = 0;
  if (endSignal) *endSignal = 0;
  QByteArray native = command.toLocal8Bit();
  if (native.contains('\0')) return EINVAL;
  char shell[] = "sh";
  char option[] = "-c";
  char* arguments[] = {shell, option, native.data(), nullptr};
  pid_t child = 0;
  // The process's own environment, with what the tasks set in it.
  const int error = ::posix_spawn(&child, "/bin/sh", nullptr, nullptr, arguments, environ);
  if (error != 0) return static_cast<unsigned>(error);
  endLateStartedIfStopped();
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return static_cast<unsigned>(errno);
    endLateStartedIfStopped();
  }
  if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitCode = signalExitStatus(WTERMSIG(status));  // the shells' convention; WEXITSTATUS would say 0
    if (endSignal) *endSignal = WTERMSIG(status);
  }
  return 0;
}

}  // namespace platform
