#include "platform/process_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace platform {

namespace {

// A process that ignores SIGKILL for this long is in the kernel's hands; so is one that
// forks faster than the rounds end it.
constexpr int kKillWaitMs = 500;
constexpr int kMaxKillRounds = 10;
// Where the system cannot tell us of an end, it is looked for this often.
constexpr int kLookStepMs = 10;

struct ProcessStat {
  pid_t pid = 0;
  pid_t parent = 0;
  char state = 0;
  unsigned long long startTime = 0;  // clock ticks since boot: tells a reused number apart
};

bool isEnded(char state) { return state == 'Z' || state == 'X'; }

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
      if (taken[index] || isEnded(it->state)) continue;
      taken[index] = true;
      found.push_back(*it);
      parents.push_back(it->pid);
    }
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

bool hasEnded(const Target& target) {
  ProcessStat now;
  return !readStat(target.pid, now) || now.startTime != target.startTime || isEnded(now.state);
}

void closeAll(std::vector<Target>& targets) {
  for (const Target& target : targets)
    if (target.pidfd >= 0) ::close(target.pidfd);
  targets.clear();
}

// Every living descendant given the signal (and SIGCONT after it, when asked); the ones
// that took it.
std::vector<Target> signalAll(int signal, bool alsoContinue) {
  std::vector<Target> sent;
  for (const ProcessStat& stat : descendants()) {
    Target target{stat.pid, stat.startTime, openPidfd(stat.pid)};
    // Opened after the walk: the start time says whether the number still names the
    // process the walk found.
    if (hasEnded(target) || !sendSignal(target, signal)) {
      if (target.pidfd >= 0) ::close(target.pidfd);
      continue;
    }
    if (alsoContinue) (void)sendSignal(target, SIGCONT);
    sent.push_back(target);
  }
  return sent;
}

// Until every target has ended or ms have passed. A descriptor of a process becomes
// readable when it ends; without them the processes are looked at in short steps.
void waitForEnd(std::vector<Target>& targets, int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
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
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (fds[i].revents != 0)
        ::close(targets[i].pidfd);
      else
        targets[kept++] = targets[i];
    }
    targets.resize(kept);
  }
}

}  // namespace

int adoptOrphans() { return ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0 ? 0 : errno; }

int endDescendants(int graceMs) {
  std::vector<Target> targets = signalAll(SIGTERM, true);
  const int found = static_cast<int>(targets.size());
  if (found == 0) return 0;
  waitForEnd(targets, graceMs);
  closeAll(targets);
  for (int round = 0; round < kMaxKillRounds; ++round) {
    targets = signalAll(SIGKILL, false);
    if (targets.empty()) break;
    waitForEnd(targets, kKillWaitMs);
    closeAll(targets);
  }
  return found;
}

}  // namespace platform
