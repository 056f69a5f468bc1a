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

struct Disk {
  int kilobytes = 64;
  // Another program fills the disk before the run and takes every block that frees up
  // while it runs, as when a disk fills during a build.
  bool competingWriter = false;
  // What the program is started under on the disk ("setpriv ..."), or nothing.
  QString runUnder;
};

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

// Makes the run start the program on such a disk; false when mounting is not permitted
// here.
inline bool runOnSmallDisk(VarkelRun& run, const Disk& disk) {
  const QStringList options = unshareOptions();
  if (options.isEmpty()) return false;
  for (const char* dir : {"seed", "disk", "after"}) QDir().mkpath(run.path(dir));
  // The hog's loop never waits: on a full disk each cat ends at its first write.
  const QString hogStart = disk.competingWriter ? "  cat /dev/zero >> DIR/disk/hog 2>/dev/null\n"
                                                  "  (while :; do cat /dev/zero >> DIR/disk/hog 2>/dev/null; done) &\n"
                                                  "  hog=$!\n"
                                                : "";
  const QString hogEnd = disk.competingWriter ? "  kill $hog; wait $hog; rm -f DIR/disk/hog\n" : "";
  run.write("small-disk.sh",
            run.inDir("#!/bin/sh\n"
                      "exec unshare " + options.join(' ') + " --propagation private sh -c '\n"
                      "  mount -t tmpfs -o size=" + QString::number(disk.kilobytes) + "k varkel-disk DIR/disk &&\n"
                      "    cp -a DIR/seed/. DIR/disk/ || exit " + QString::number(kNoDisk) + "\n" + hogStart +
                      "  " + disk.runUnder + " \"$@\"\n"
                      "  rc=$?\n" + hogEnd +
                      "  cp -a DIR/disk/. DIR/after/\n"
                      "  exit $rc' sh \"$@\"\n"),
            true);
  run.setLauncher(run.path("small-disk.sh"));
  return true;
}

inline bool runOnSmallDisk(VarkelRun& run, int kilobytes) {
  Disk disk;
  disk.kilobytes = kilobytes;
  return runOnSmallDisk(run, disk);
}

}  // namespace small_disk
