#include "platform/process_tree.h"

#include "platform/process_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace platform {

namespace {

// A process that ignores SIGKILL for this long is in the kernel's hands; so is one that
// forks faster than the rounds end it.
constexpr int kKillWaitMs = 500;
constexpr int kMaxKillRounds = 10;
// Walks of one sweep: each one ends what the last found or waits out a grace.
constexpr int kMaxSweepRounds = 40;
// Where the system cannot tell us of an end, it is looked for this often.
constexpr int kLookStepMs = 10;

using Clock = ProcessClock;

bool isEnded(char state) { return state == 'Z' || state == 'X'; }

// A leader that has ended while other threads of it still run: /proc/<pid>/task lists
// them beside it.
bool hasOtherThreads(pid_t pid) {
  char path[40];
  std::snprintf(path, sizeof path, "/proc/%d/task", static_cast<int>(pid));
  DIR* dir = ::opendir(path);
  if (!dir) return false;
  int threads = 0;
  while (threads < 2) {
    const dirent* entry = ::readdir(dir);
    if (!entry) break;
    if (entry->d_name[0] != '.') ++threads;
  }
  ::closedir(dir);
  return threads > 1;
}

// The living processes below this one, found in one pass over /proc.
std::vector<ProcessStat> descendants() {
  std::vector<ProcessStat> all;
  DIR* dir = ::opendir("/proc");
  if (!dir) return all;
  while (const dirent* entry = ::readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    ProcessStat stat;
    if (readStat(static_cast<pid_t>(pid), stat)) all.push_back(stat);
  }
  ::closedir(dir);

  // By parent, so that each process's children are one lookup; each entry is taken once,
  // whatever a list read while processes come and go says.
  std::sort(all.begin(), all.end(), [](const ProcessStat& a, const ProcessStat& b) { return a.parent < b.parent; });
  std::vector<bool> taken(all.size(), false);
  std::vector<ProcessStat> found;
  std::vector<pid_t> parents{::getpid()};
  while (!parents.empty()) {
    const pid_t parent = parents.back();
    parents.pop_back();
    auto first = std::lower_bound(all.begin(), all.end(), parent,
                                  [](const ProcessStat& s, pid_t p) { return s.parent < p; });
    for (auto it = first; it != all.end() && it->parent == parent; ++it) {
      const std::size_t index = static_cast<std::size_t>(it - all.begin());
      if (taken[index] || isGone(*it)) continue;
      taken[index] = true;
      found.push_back(*it);
      parents.push_back(it->pid);
    }
  }
  return found;
}

// Without /proc: the children this program started, all it can know of.
std::vector<ProcessStat> ownChildren() {
  std::vector<ProcessStat> found;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (pid_t pid : r.children) {
    ProcessStat stat;
    stat.pid = pid;
    stat.parent = ::getpid();
    stat.state = 'R';
    found.push_back(stat);
  }
  return found;
}

// A process as signalled: through a descriptor of its own where the system has them, so
// that a signal never reaches another process that got the number since.
struct Target {
  pid_t pid = 0;
  unsigned long long startTime = 0;
  int pidfd = -1;
};

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

bool sendSignal(const Target& target, int signal) {
#ifdef SYS_pidfd_send_signal
  if (target.pidfd >= 0) return ::syscall(SYS_pidfd_send_signal, target.pidfd, signal, nullptr, 0) == 0;
#endif
  return ::kill(target.pid, signal) == 0;
}

// A descriptor of a process becomes readable once all its threads have ended.
bool hasEnded(const Target& target) {
  if (target.pidfd >= 0) {
    pollfd fd{target.pidfd, POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0;
  }
  ProcessStat now;
  return !readStat(target.pid, now) || now.startTime != target.startTime || isGone(now);
}

// Still the process the walk found, and running. The start time tells a number given to
// another process since; without /proc a registered child keeps its number until it is
// collected.
bool isSameAndRunning(const Target& target, bool procVisible) {
  if (procVisible) {
    ProcessStat now;
    if (!readStat(target.pid, now) || now.startTime != target.startTime || isGone(now)) return false;
  }
  return !hasEnded(target);
}

void closeAll(std::vector<Target>& targets) {
  for (const Target& target : targets)
    if (target.pidfd >= 0) ::close(target.pidfd);
  targets.clear();
}

// Until every target has ended or the deadline has passed. Without descriptors the
// processes are looked at in short steps.
void waitForEnd(std::vector<Target> targets, Clock::time_point deadline) {
  const bool allHaveDescriptors =
      std::all_of(targets.begin(), targets.end(), [](const Target& t) { return t.pidfd >= 0; });
  std::vector<pollfd> fds;
  while (!targets.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    if (!allHaveDescriptors) {
      targets.erase(std::remove_if(targets.begin(), targets.end(), hasEnded), targets.end());
      if (!targets.empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, kLookStepMs)));
      continue;
    }
    fds.clear();
    for (const Target& target : targets) fds.push_back(pollfd{target.pidfd, POLLIN, 0});
    const int ready = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), static_cast<int>(left));
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < targets.size(); ++i)
      if (fds[i].revents == 0) targets[kept++] = targets[i];
    targets.resize(kept);
  }
}

}  // namespace

// Fields of /proc/<pid>/stat: "pid (name) state parent ... start" with start the 22nd;
// the name may hold blanks and parentheses, so the fields are counted from its last ")".
bool readStat(pid_t pid, ProcessStat& out) {
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char text[1024];
  ssize_t size;
  do {
    size = ::read(fd, text, sizeof text - 1);
  } while (size < 0 && errno == EINTR);
  ::close(fd);
  if (size <= 0) return false;
  text[size] = '\0';
  const char* p = std::strrchr(text, ')');
  if (!p) return false;
  ++p;
  constexpr int kStartField = 22;
  int field = 2;  // the name
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    ++field;
    if (field == 3) out.state = *p;
    if (field == 4) out.parent = static_cast<pid_t>(std::strtol(p, nullptr, 10));
    if (field == kStartField) {
      out.startTime = std::strtoull(p, nullptr, 10);
      out.pid = pid;
      return true;
    }
    while (*p && *p != ' ') ++p;
  }
  return false;
}

// Ended with all its threads: only then can it neither run nor start anything.
bool isGone(const ProcessStat& stat) {
  if (!isEnded(stat.state)) return false;
  return stat.state != 'Z' || !hasOtherThreads(stat.pid);
}

bool canSeeDescendants() {
  ProcessStat self;
  return readStat(::getpid(), self);
}

int endDescendants(int graceMs) {
  const bool procVisible = canSeeDescendants();
  const auto grace = std::chrono::milliseconds(graceMs);
  const Clock::time_point limit = Clock::now() + grace + std::chrono::milliseconds(kKillWaitMs * kMaxKillRounds);
  Registry& r = registry();
  int termed = 0;
  std::vector<Target> targets;
  for (int round = 0; round < kMaxSweepRounds; ++round) {
    const std::vector<ProcessStat> found = procVisible ? descendants() : ownChildren();
    const Clock::time_point now = Clock::now();
    Clock::time_point next = limit;
    for (const ProcessStat& stat : found) {
      Target target{stat.pid, stat.startTime, openPidfd(stat.pid)};
      if (!isSameAndRunning(target, procVisible)) {
        if (target.pidfd >= 0) ::close(target.pidfd);
        continue;
      }
      Clock::time_point due;
      {
        std::lock_guard<std::mutex> lock(r.mutex);
        const auto entry = r.signalled.emplace(ProcessKey{stat.pid, stat.startTime}, now);
        if (entry.second) {
          (void)sendSignal(target, SIGTERM);
          (void)sendSignal(target, SIGCONT);
          ++termed;
          due = now + grace;
        } else if (now >= entry.first->second + grace) {
          (void)sendSignal(target, SIGKILL);
          due = now + std::chrono::milliseconds(kKillWaitMs);
        } else {
          due = entry.first->second + grace;
        }
      }
      next = std::min(next, due);
      targets.push_back(target);
    }
    if (targets.empty()) break;
    waitForEnd(targets, next);
    closeAll(targets);
    if (Clock::now() >= limit) break;
  }
  return termed;
}

void sweepForStop(int graceMs) {
  {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.endOnStart = true;
    r.sweepGraceMs = graceMs;
  }
  requestSweep(graceMs);
}

}  // namespace platform
