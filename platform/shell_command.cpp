#include "platform/shell_command.h"

#include "platform/process_tree.h"
#include "platform/stop_signals.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// Starts the program as a registered child with the process's own environment (with what
// the tasks set in it) and channels, and waits for it.
unsigned spawnAndWait(const char* path, char* const* arguments, int& exitCode, int* endSignal) {
  exitCode = 0;
  if (endSignal) *endSignal = 0;
  pid_t child = 0;
  ChildRegistration registration;
  // The spawn returns once the program runs (or failed to).
  const int error = ::posix_spawn(&child, path, nullptr, nullptr, arguments, environ);
  registration.started(error == 0 ? child : 0);
  if (error != 0) return static_cast<unsigned>(error);
  registration.confirmed();
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return static_cast<unsigned>(errno);
  }
  registration.collected();
  if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitCode = signalExitStatus(WTERMSIG(status));  // the shells' convention; WEXITSTATUS would say 0
    if (endSignal) *endSignal = WTERMSIG(status);
  }
  return 0;
}

}  // namespace

unsigned runShellCommand(const QString& command, int& exitCode, int* endSignal) {
  exitCode = 0;
  if (endSignal) *endSignal = 0;
  QByteArray native = command.toLocal8Bit();
  if (native.contains('\0')) return EINVAL;
  char shell[] = "sh";
  char option[] = "-c";
  char* arguments[] = {shell, option, native.data(), nullptr};
  return spawnAndWait("/bin/sh", arguments, exitCode, endSignal);
}

unsigned runProgram(const QString& program, const QStringList& arguments, int& exitCode) {
  exitCode = 0;
  std::vector<QByteArray> native;
  native.reserve(static_cast<std::size_t>(arguments.size()) + 1);
  native.push_back(program.toLocal8Bit());
  for (const QString& argument : arguments) native.push_back(argument.toLocal8Bit());
  std::vector<char*> pointers;
  for (QByteArray& text : native) {
    if (text.contains('\0')) return EINVAL;
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return spawnAndWait(native.front().constData(), pointers.data(), exitCode, nullptr);
}

}  // namespace platform
