#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Runs one command line through /bin/sh -c, as the C library's system() does, and waits
// for it. 0 and the shell's exit status, or 128 + the signal for a shell ended by one
// (that signal then in *endSignal, else 0 there); errno when the shell could not be
// run, with exitCode 0. A command holding a zero character gives EINVAL: it would run
// only its first part. Unlike system(), a stop signal (stop_signals.h) is not held back
// while the command runs: the command is ended with the rest of the run.
[[nodiscard]] unsigned runShellCommand(const QString& command, int& exitCode, int* endSignal = nullptr);

// Runs the program (a path) with the arguments, its channels this program's own, and
// waits for it, as runShellCommand does its shell: 0 and the exit status (128 + the
// signal for one ended by a signal), or errno when it could not be started.
[[nodiscard]] unsigned runProgram(const QString& program, const QStringList& arguments, int& exitCode);

}  // namespace platform
