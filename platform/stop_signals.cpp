#include "platform/stop_signals.h"

#include "platform/process_tree.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

namespace platform {

namespace {

struct SignalNameEntry {
  int number;
  const char* name;
};

const SignalNameEntry kSignalNames[] = {
    {SIGHUP, "SIGHUP"},   {SIGINT, "SIGINT"},       {SIGQUIT, "SIGQUIT"}, {SIGILL, "SIGILL"},   {SIGTRAP, "SIGTRAP"},
    {SIGABRT, "SIGABRT"}, {SIGBUS, "SIGBUS"},       {SIGFPE, "SIGFPE"},   {SIGKILL, "SIGKILL"}, {SIGUSR1, "SIGUSR1"},
    {SIGSEGV, "SIGSEGV"}, {SIGUSR2, "SIGUSR2"},     {SIGPIPE, "SIGPIPE"}, {SIGALRM, "SIGALRM"}, {SIGTERM, "SIGTERM"},
    {SIGCHLD, "SIGCHLD"}, {SIGCONT, "SIGCONT"},     {SIGSTOP, "SIGSTOP"}, {SIGTSTP, "SIGTSTP"}, {SIGTTIN, "SIGTTIN"},
    {SIGTTOU, "SIGTTOU"}, {SIGURG, "SIGURG"},       {SIGXCPU, "SIGXCPU"}, {SIGXFSZ, "SIGXFSZ"}, {SIGPROF, "SIGPROF"},
    {SIGVTALRM, "SIGVTALRM"}, {SIGWINCH, "SIGWINCH"}, {SIGIO, "SIGIO"}, {SIGPWR, "SIGPWR"},   {SIGSYS, "SIGSYS"},
};

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

const char* knownName(int signal) {
  for (const SignalNameEntry& entry : kSignalNames)
    if (entry.number == signal) return entry.name;
  return nullptr;
}

static_assert(std::atomic<int>::is_always_lock_free, "the signal handlers store into it");
static_assert(std::atomic<long long>::is_always_lock_free, "the signal handler stores into it");
std::atomic<int> g_stopSignal{0};
std::atomic<long long> g_firstSignalMs{0};
std::atomic<long long> g_lastSignalMs{0};
std::atomic<bool> g_childEnded{false};
// The handlers' wake-up call to the thread; neither end blocks.
int g_wakeRead = -1;
int g_wakeWrite = -1;
pid_t g_owner = 0;
std::atomic<StopListener> g_listener{nullptr};
StopPolicy g_policy;
struct sigaction g_previousChildAction;

long long monotonicMs() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void wake() {
  const char byte = 1;
  if (::write(g_wakeWrite, &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
}

void onStopSignal(int signal) {
  // A child between its fork and its exec still runs this: it ends as it would have.
  if (::getpid() != g_owner) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  const int savedErrno = errno;
  const long long now = monotonicMs();
  long long none = 0;
  g_firstSignalMs.compare_exchange_strong(none, now);
  g_lastSignalMs.store(now);
  int noSignal = 0;
  g_stopSignal.compare_exchange_strong(noSignal, signal);
  wake();
  errno = savedErrno;
}

void onChildSignal(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  if (::getpid() == g_owner) {
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

void* endBelow(void*) {
  (void)endDescendants(g_policy.graceMs);
  return nullptr;
}

[[noreturn]] void abandonRun(int signal, bool haste) {
  (void)endDescendants(0);
  if (g_policy.abandon) g_policy.abandon(signal, haste);
  dieBySignal(signal);
}

void* watch(void*) {
  bool stopping = false;
  long long deadline = 0;
  char bytes[64];
  for (;;) {
    int timeout = -1;
    if (stopping) {
      const long long left = deadline - monotonicMs();
      if (left <= 0) abandonRun(g_stopSignal.load(), false);
      timeout = static_cast<int>(left);
    }
    pollfd wakeUp{g_wakeRead, POLLIN, 0};
    if (::poll(&wakeUp, 1, timeout) < 0 && errno != EINTR) return nullptr;
    while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
    if (g_childEnded.exchange(false)) reapOrphans();
    const int signal = g_stopSignal.load();
    if (signal == 0) continue;
    if (!stopping) {
      stopping = true;
      deadline = monotonicMs() + g_policy.unwindMs;
      if (StopListener listener = g_listener.load()) listener(signal);
      endChildrenAsTheyStart();
      // On a thread of its own: a later signal or the deadline is heard while it waits.
      pthread_t sweep;
      if (::pthread_create(&sweep, nullptr, &endBelow, nullptr) == 0)
        ::pthread_detach(sweep);
      else
        (void)endDescendants(g_policy.graceMs);
    } else if (g_lastSignalMs.load() - g_firstSignalMs.load() > g_policy.sameStopMs) {
      abandonRun(signal, true);
    }
  }
}

}  // namespace

int installStopHandlers(const StopPolicy& policy) {
  if (g_wakeWrite >= 0) return 0;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return errno;
  g_wakeRead = ends[0];
  g_wakeWrite = ends[1];
  g_owner = ::getpid();
  g_policy = policy;

  // The thread is born with the signals blocked, so they come to the run's own thread and
  // cut short what it waits on (a terminal, a pipe).
  sigset_t stops;
  sigset_t previous;
  ::sigemptyset(&stops);
  for (int signal : kStopSignals) ::sigaddset(&stops, signal);
  ::sigaddset(&stops, SIGCHLD);
  ::pthread_sigmask(SIG_BLOCK, &stops, &previous);
  pthread_t thread;
  const int created = ::pthread_create(&thread, nullptr, &watch, nullptr);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (created != 0) return created;
  ::pthread_detach(thread);

  struct sigaction child = {};
  child.sa_sigaction = &onChildSignal;
  ::sigemptyset(&child.sa_mask);
  child.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
  if (::sigaction(SIGCHLD, &child, &g_previousChildAction) != 0) return errno;

  for (int signal : kStopSignals) {
    struct sigaction old;
    if (::sigaction(signal, nullptr, &old) != 0) return errno;
    if (old.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = &onStopSignal;
    ::sigemptyset(&action.sa_mask);
    // Without SA_RESTART, so that a read of the terminal returns and the run can wind up.
    action.sa_flags = 0;
    if (::sigaction(signal, &action, nullptr) != 0) return errno;
  }
  return 0;
}

int stopSignal() { return g_stopSignal.load(); }

void setStopListener(StopListener listener) { g_listener.store(listener); }

void dieBySignal(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  sigset_t only;
  ::sigemptyset(&only);
  ::sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  // A signal whose default is not to end the program.
  ::_exit(signalExitStatus(signal));
}

QString signalName(int signal) {
  const char* name = knownName(signal);
  return name ? QLatin1String(name) : QLatin1String("signal ") + QString::number(signal);
}

}  // namespace platform
