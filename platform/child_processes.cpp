#include "platform/process_registry.h"
#include "platform/process_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

// Orphans taken at one call; more come with the next wake-up.
constexpr int kMaxReaps = 1 << 16;

// Ended children that no one here waits for: the kernel names one at a time without
// taking it. A registered one among them hides the rest: its owner is about to take it,
// and the reaping goes on when its registration ends; one that still hides them at the next
// call has an owner that does not look, and /proc names the rest.
void reapLocked(Registry& r) {
  for (int i = 0; i < kMaxReaps; ++i) {
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0) {
      r.reapBlockedBy = 0;
      return;
    }
    if (r.children.count(info.si_pid) == 0) {
      (void)::waitpid(info.si_pid, nullptr, WNOHANG);
      continue;
    }
    if (r.reapBlockedBy != info.si_pid) {
      r.reapBlockedBy = info.si_pid;
      return;
    }
    const pid_t self = ::getpid();
    DIR* dir = ::opendir("/proc");
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      char* end = nullptr;
      const long pid = std::strtol(entry->d_name, &end, 10);
      if (pid <= 0 || *end != '\0') continue;
      ProcessStat stat;
      if (readStat(static_cast<pid_t>(pid), stat) && stat.parent == self && stat.state == 'Z' &&
          r.children.count(stat.pid) == 0)
        (void)::waitpid(stat.pid, nullptr, WNOHANG);
    }
    ::closedir(dir);
    return;
  }
}

// The layer's thread for the process tree: it reaps orphans as SIGCHLD tells of them and
// runs the sweeps asked for, so that neither holds up the thread that asks. Its state is
// plain atomics and descriptors, never destroyed.
int g_wakeRead = -1;
int g_wakeWrite = -1;
std::atomic<bool> g_childEnded{false};
std::atomic<int> g_sweepGraceMs{-1};  // a sweep asked for, with its grace
std::once_flag g_started;
bool g_running = false;
struct sigaction g_previousChildAction;

void wake() {
  const char byte = 1;
  if (::write(g_wakeWrite, &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
}

void onChildSignal(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  if (g_running) {
    g_childEnded.store(true);
    wake();
  }
  errno = savedErrno;
  // Qt's process objects learn of their children's ends through theirs.
  const struct sigaction& previous = g_previousChildAction;
  if (previous.sa_flags & SA_SIGINFO) {
    if (previous.sa_sigaction) previous.sa_sigaction(signal, info, context);
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
  }
}

void* work(void*) {
  char bytes[64];
  for (;;) {
    pollfd wakeUp{g_wakeRead, POLLIN, 0};
    (void)::poll(&wakeUp, 1, -1);  // a failure is taken for a wake-up
    while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
    try {
      if (g_childEnded.exchange(false)) reapOrphans();
      const int grace = g_sweepGraceMs.exchange(-1);
      if (grace >= 0) (void)endDescendants(grace);
    } catch (...) {
      // Out of memory: what is left is looked at again at the next wake-up.
    }
  }
}

// Born with the stop signals and SIGCHLD blocked, so that they come to the run's own thread.
bool startThread(void* (*body)(void*), void* argument) {
  sigset_t blocked;
  sigset_t previous;
  ::sigemptyset(&blocked);
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) ::sigaddset(&blocked, signal);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  pthread_t thread;
  const int created = ::pthread_create(&thread, nullptr, body, argument);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (created != 0) return false;
  ::pthread_detach(thread);
  return true;
}

bool ensureThread() {
  std::call_once(g_started, [] {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_wakeRead = ends[0];
    g_wakeWrite = ends[1];
    g_running = startThread(&work, nullptr);
  });
  return g_running;
}

void* sweepOnce(void* grace) {
  try {
    (void)endDescendants(static_cast<int>(reinterpret_cast<std::intptr_t>(grace)));
  } catch (...) {
  }
  return nullptr;
}

}  // namespace

Registry& registry() {
  static Registry* const instance = new Registry;
  return *instance;
}

void requestSweep(int graceMs) {
  if (ensureThread()) {
    g_sweepGraceMs.store(graceMs);
    wake();
  } else if (!startThread(&sweepOnce, reinterpret_cast<void*>(static_cast<std::intptr_t>(graceMs)))) {
    (void)endDescendants(graceMs);
  }
}

int adoptOrphans() {
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0) return errno;
  if (!ensureThread()) return EAGAIN;
  struct sigaction child = {};
  child.sa_sigaction = &onChildSignal;
  ::sigemptyset(&child.sa_mask);
  child.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
  return ::sigaction(SIGCHLD, &child, &g_previousChildAction) == 0 ? 0 : errno;
}

ChildRegistration::ChildRegistration() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  ++r.starting;
}

ChildRegistration::~ChildRegistration() { collected(); }

void ChildRegistration::started(long long pid) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (!starting_) return;
  starting_ = false;
  if (pid > 0) {
    pid_ = pid;
    r.children.insert(static_cast<pid_t>(pid));
  }
  if (--r.starting == 0 && r.reapDeferred) {
    r.reapDeferred = false;
    reapLocked(r);
  }
}

void ChildRegistration::confirmed() {
  if (pid_ <= 0) return;
  const pid_t child = static_cast<pid_t>(pid_);
  Registry& r = registry();
  int grace = 0;
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.endOnStart) return;
    // Not yet collected by its owner, so the number is still this child's.
    ProcessStat stat;
    const unsigned long long startTime = readStat(child, stat) ? stat.startTime : 0;
    if (!r.signalled.emplace(ProcessKey{child, startTime}, ProcessClock::now()).second) return;
    (void)::kill(child, SIGTERM);
    (void)::kill(child, SIGCONT);
    grace = r.sweepGraceMs;
  }
  requestSweep(grace);  // for its SIGKILL after the grace
}

void ChildRegistration::collected() {
  if (starting_) started(0);
  if (pid_ <= 0) return;
  const pid_t child = static_cast<pid_t>(pid_);
  pid_ = 0;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.children.erase(child);
  if (r.reapBlockedBy == child) {
    r.reapBlockedBy = 0;
    if (r.starting > 0)
      r.reapDeferred = true;
    else
      reapLocked(r);
  }
}

void reapOrphans() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (r.starting > 0) {
    r.reapDeferred = true;
    return;
  }
  reapLocked(r);
}

}  // namespace platform
