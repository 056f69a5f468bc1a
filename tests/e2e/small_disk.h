#pragma once

// A full disk for a run of the real program: DIR/disk is a tmpfs of a few kilobytes,
// mounted in a mount namespace of the run's own, so that nothing stays mounted whatever
// happens to the run. The disk starts as a copy of DIR/seed; what the run left on it is
// copied to DIR/after when the program has ended.

#include "varkel_run.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace small_disk {

// The exit code of the launcher when the disk could not be mounted or filled.
constexpr int kNoDisk = 97;

// The options of unshare(1) that let this process mount a tmpfs of its own (as root, or
// in a user namespace of its own); empty when neither does here.
inline QStringList unshareOptions() {
  QTemporaryDir probe;
  for (const QStringList& options : {QStringList{"--mount"}, QStringList{"--user", "--map-root-user", "--mount"}}) {
    QProcess p;
    p.start("unshare", options + QStringList{"--propagation", "private", "mount", "-t", "tmpfs", "-o", "size=4k",
                                             "varkel-probe", probe.path()});
    if (p.waitForFinished(kRunTimeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
      return options;
    if (p.state() != QProcess::NotRunning) {
      p.kill();
      p.waitForFinished();
    }
  }
  return {};
}

// Makes the run start the program on a disk of the given size; false when mounting is
// not permitted here.
inline bool runOnSmallDisk(VarkelRun& run, int kilobytes) {
  const QStringList options = unshareOptions();
  if (options.isEmpty()) return false;
  for (const char* dir : {"seed", "disk", "after"}) QDir().mkpath(run.path(dir));
  run.write("small-disk.sh",
            run.inDir("#!/bin/sh\n"
                      "exec unshare " + options.join(' ') + " --propagation private sh -c '\n"
                      "  mount -t tmpfs -o size=" + QString::number(kilobytes) + "k varkel-disk DIR/disk &&\n"
                      "    cp -a DIR/seed/. DIR/disk/ || exit " + QString::number(kNoDisk) + "\n"
                      "  \"$@\"\n"
                      "  rc=$?\n"
                      "  cp -a DIR/disk/. DIR/after/\n"
                      "  exit $rc' sh \"$@\"\n"),
            true);
  run.setLauncher(run.path("small-disk.sh"));
  return true;
}

}  // namespace small_disk
