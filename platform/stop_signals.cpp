#include "platform/stop_signals.h"

#include "platform/process_tree.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

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

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores into it");
std::atomic<int> g_stopSignal{0};
// The handler's wake-up call to the thread; the write end never blocks.
int g_wakeRead = -1;
int g_wakeWrite = -1;
pid_t g_owner = 0;
std::atomic<StopListener> g_listener{nullptr};

void onStopSignal(int signal) {
  // A child between its fork and its exec still runs this: it ends as it would have.
  if (::getpid() != g_owner) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  const int savedErrno = errno;
  int none = 0;
  g_stopSignal.compare_exchange_strong(none, signal);
  const char byte = 1;
  if (::write(g_wakeWrite, &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
  errno = savedErrno;
}

// Waits up to ms for another wake-up; false when none came.
bool wokenWithin(int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
  pollfd wake{g_wakeRead, POLLIN, 0};
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    const int ready = ::poll(&wake, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

void* watchForStop(void*) {
  char byte;
  for (;;) {
    const ssize_t size = ::read(g_wakeRead, &byte, 1);
    if (size == 1) break;
    if (size < 0 && errno == EINTR) continue;
    return nullptr;
  }
  if (StopListener listener = g_listener.load()) listener(g_stopSignal.load());
  endDescendants();
  (void)wokenWithin(kStopUnwindMs);
  // The run has not wound up in time, or a second signal asks for haste. The log may be
  // held by the run's own thread: this end is told on standard error alone.
  endDescendants(0);
  const int signal = g_stopSignal.load();
  char text[160];
  const char* name = knownName(signal);
  const int size = std::snprintf(text, sizeof text, "The run did not wind up after %s: ended with exit code %d.\n",
                                 name ? name : "a stop signal", signalExitStatus(signal));
  if (size > 0 && ::write(STDERR_FILENO, text, static_cast<size_t>(size)) < 0) {
    // Nothing is left to tell.
  }
  ::_exit(signalExitStatus(signal));
}

}  // namespace

int installStopHandlers() {
  if (g_wakeWrite >= 0) return 0;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return errno;
  if (::fcntl(ends[1], F_SETFL, O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(ends[0]);
    ::close(ends[1]);
    return error;
  }
  g_wakeRead = ends[0];
  g_wakeWrite = ends[1];
  g_owner = ::getpid();

  // The thread is born with the signals blocked, so they come to the run's own thread and
  // cut short what it waits on (a terminal, a pipe).
  sigset_t stops;
  sigset_t previous;
  ::sigemptyset(&stops);
  for (int signal : kStopSignals) ::sigaddset(&stops, signal);
  ::pthread_sigmask(SIG_BLOCK, &stops, &previous);
  pthread_t thread;
  const int created = ::pthread_create(&thread, nullptr, &watchForStop, nullptr);
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
    // Without SA_RESTART, so that a read of the terminal returns and the run can wind up.
    action.sa_flags = 0;
    if (::sigaction(signal, &action, nullptr) != 0) return errno;
  }
  return 0;
}

int stopSignal() { return g_stopSignal.load(); }

void setStopListener(StopListener listener) { g_listener.store(listener); }

void endLateStartedIfStopped() {
  if (stopSignal() != 0) endDescendants();
}

QString signalName(int signal) {
  const char* name = knownName(signal);
  return name ? QLatin1String(name) : QLatin1String("signal ") + QString::number(signal);
}

}  // namespace platform
