#pragma once

// Inside the platform layer only: what the sweep, the registration of children and the
// reaper share.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {

struct ProcessStat {
  pid_t pid = 0;
  pid_t parent = 0;
  char state = 0;
  unsigned long long startTime = 0;  // clock ticks since boot: tells a reused number apart
};

// What /proc/<pid>/stat says of the process; false when it is not there (or no /proc).
bool readStat(pid_t pid, ProcessStat& out);
// Ended with all its threads: only then can it neither run nor start anything.
bool isGone(const ProcessStat& stat);

using ProcessClock = std::chrono::steady_clock;
using ProcessKey = std::pair<pid_t, unsigned long long>;  // the number and the start time

// The children this program started and what has been given SIGTERM, under one mutex.
// Never destroyed: a thread of this layer may still use it as the program exits.
struct Registry {
  std::mutex mutex;
  std::unordered_set<pid_t> children;
  int starting = 0;
  bool reapDeferred = false;
  pid_t reapBlockedBy = 0;  // a registered child that has ended and hid the others
  bool endOnStart = false;  // a stop's sweep has begun
  int sweepGraceMs = 0;
  std::map<ProcessKey, ProcessClock::time_point> signalled;  // when each was given SIGTERM
};

Registry& registry();

// Asks this layer's thread for a sweep with the grace; without that thread the sweep runs
// on a thread of its own, or at last on the caller's.
void requestSweep(int graceMs);

}  // namespace platform
