#include "platform/stop_signals.h"

#include "platform/process_tree.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
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

// Written by the handler, read by the thread: plain atomics, never destroyed.
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores into it");
static_assert(std::atomic<long long>::is_always_lock_free, "the signal handler stores into it");
std::atomic<int> g_stopSignal{0};
std::atomic<long long> g_firstSignalMs{0};
std::atomic<int> g_lastSignal{0};
std::atomic<long long> g_lastSignalMs{0};
std::atomic<unsigned> g_signalCount{0};
// The handler's wake-up call to the thread; neither end blocks.
int g_wakeRead = -1;
int g_wakeWrite = -1;
pid_t g_owner = 0;
IStopSignalListener* g_listener = nullptr;

long long monotonicMs() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
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
  g_lastSignal.store(signal);
  g_lastSignalMs.store(now);
  int noSignal = 0;
  g_stopSignal.compare_exchange_strong(noSignal, signal);
  g_signalCount.fetch_add(1);
  const char byte = 1;
  if (::write(g_wakeWrite, &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
  errno = savedErrno;
}

// A listener that fails cannot wind the run up: what it would have ended is ended now.
[[noreturn]] void endAtOnce() {
  try {
    (void)endDescendants(0);
  } catch (...) {
  }
  dieBySignal(g_stopSignal.load());
}

template <typename Call>
long long told(Call call) {
  try {
    return call();
  } catch (...) {
    endAtOnce();
  }
}

void* watch(void*) {
  unsigned seen = 0;
  long long wakeAt = -1;  // ms after the first signal
  char bytes[64];
  for (;;) {
    int timeout = -1;
    if (seen > 0 && wakeAt >= 0)
      timeout = static_cast<int>(std::clamp(g_firstSignalMs.load() + wakeAt - monotonicMs(), 0LL, 1LL << 30));
    pollfd wakeUp{g_wakeRead, POLLIN, 0};
    (void)::poll(&wakeUp, 1, timeout);  // a failure is taken for a wake-up: everything is looked at again
    while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
    const unsigned count = g_signalCount.load();
    if (count != seen) {
      if (seen == 0) wakeAt = told([] { return g_listener->onStop(g_stopSignal.load()); });
      if (count > 1) {
        const long long after = g_lastSignalMs.load() - g_firstSignalMs.load();
        wakeAt = told([after] { return g_listener->onLaterSignal(g_lastSignal.load(), after); });
      }
      seen = count;
    } else if (seen > 0 && wakeAt >= 0 && monotonicMs() >= g_firstSignalMs.load() + wakeAt) {
      const long long after = monotonicMs() - g_firstSignalMs.load();
      wakeAt = told([after] { return g_listener->onTimeUp(after); });
    }
  }
}

}  // namespace

int listenForStopSignals(IStopSignalListener* listener) {
  if (g_wakeWrite >= 0 || !listener) return 0;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return errno;
  g_wakeRead = ends[0];
  g_wakeWrite = ends[1];
  g_owner = ::getpid();
  g_listener = listener;

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

  for (int signal : kStopSignals) {
    struct sigaction old;
    if (::sigaction(signal, nullptr, &old) != 0) return errno;
    if (old.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = &onStopSignal;
    ::sigemptyset(&action.sa_mask);
    // Without SA_RESTART, so that a read of the terminal or a console write returns.
    action.sa_flags = 0;
    if (::sigaction(signal, &action, nullptr) != 0) return errno;
  }
  return 0;
}

int stopSignal() { return g_stopSignal.load(); }

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
