#pragma once

#include <QString>

namespace platform {

// What the program does about a stop: the numbers and the last word are its owner's.
struct StopPolicy {
  int sameStopMs = 0;  // a signal this soon after the first belongs to the first's stop
  int unwindMs = 0;    // how long the run has to wind up by itself
  int graceMs = 0;     // for the processes below, between SIGTERM and SIGKILL
  // Called on this layer's own thread when the run is to end at once: a later signal asks
  // for haste, or the run has not wound up in unwindMs. Every process below this one has
  // been ended by then. The program then dies by the signal (dieBySignal).
  void (*abandon)(int signal, bool haste) = nullptr;
};

// SIGTERM, SIGINT and SIGHUP stop the run. The handler only notes the signal and wakes a
// thread of this layer. At the first signal that thread tells the listener, ends every
// process below this one (endDescendants, on a thread of its own) and every child
// registered after it as it starts; the run sees stopSignal and winds up by itself. The
// same thread reaps the orphans that end below this one (SIGCHLD; a handler that was there
// before is still called). A signal that was ignored when the program started (nohup)
// stays ignored. Once per process; 0 or errno.
[[nodiscard]] int installStopHandlers(const StopPolicy& policy);

// The signal that asked the run to stop, the first one; 0 while none has.
int stopSignal();

// Called once, on this layer's own thread, as soon as the first stop signal has come, so
// that the run can interrupt what it is doing. It must return quickly. Set it before
// installStopHandlers.
using StopListener = void (*)(int signal);
void setStopListener(StopListener listener);

// Ends this program by the signal, as the signal's default action does, so that whoever
// waits for it sees that death (a shell that ran it stops its script). Never returns.
[[noreturn]] void dieBySignal(int signal);

// What a shell reports for a program ended by the signal.
constexpr int signalExitStatus(int signal) { return 128 + signal; }

// "SIGSEGV" for 11; "signal 70" for a number without a name here.
QString signalName(int signal);

}  // namespace platform
