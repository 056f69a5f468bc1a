#pragma once

// Runs the real program with one system call held open or made to fail (strace's fault
// injection), and watches it from outside, so that a test can act while the program
// waits inside a step.

#include "varkel_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QString>

namespace traced_run {

// Whether strace can trace a program here.
inline bool available() {
  return QProcess::execute("strace", {"-f", "-qq", "-o", "/dev/null", "-e", "trace=none", "true"}) == 0;
}

// The command that runs the command after it with the injection, as strace's -e inject=
// takes it: "fsync:delay_enter=3000000", "linkat:error=ENOENT".
// The sanitizers' leak check cannot run under a tracer, and is turned off there.
inline QString tracing(const QString& injection) {
  return "env ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" strace -f -qq -o /dev/null -e trace=" +
         injection.section(':', 0, 0) + " -e inject=" + injection;
}

// Makes the run start the program so.
inline void inject(VarkelRun& run, const QString& injection) {
  run.write("traced.sh", "#!/bin/sh\nexec " + tracing(injection) + " \"$@\"\n", true);
  run.setLauncher(run.path("traced.sh"));
}

// The id of a process that runs the program file, 0 when none does.
inline qint64 processRunning(const QString& program) {
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (number && QFileInfo("/proc/" + entry + "/exe").symLinkTarget() == program) return pid;
  }
  return 0;
}

// Waits until the program, started by the launcher p, holds a file of the directory
// open, with a name or without; false when it ends first. Nothing tells of an open, so
// it looks again every 2 ms.
inline bool waitForOpenFileIn(QProcess& p, const QString& program, const QString& dir) {
  if (!p.waitForStarted(kRunTimeoutMs)) return false;
  QElapsedTimer timer;
  timer.start();
  qint64 pid = 0;
  while (timer.elapsed() < kRunTimeoutMs) {
    if (pid == 0) pid = processRunning(program);
    const QDir fds("/proc/" + QString::number(pid) + "/fd");
    if (pid != 0)
      for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget().startsWith(dir + "/")) return true;
    if (p.waitForFinished(2)) return false;
  }
  return false;
}

// Waits until the directory holds a hidden entry (a temporary file the program named);
// false when the program ends first.
inline bool waitForHiddenEntryIn(QProcess& p, const QString& dir) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < kRunTimeoutMs) {
    if (!QDir(dir).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System).isEmpty()) return true;
    if (p.waitForFinished(2)) return false;
  }
  return false;
}

}  // namespace traced_run
