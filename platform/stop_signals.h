#pragma once

#include <QString>

namespace platform {

// How long a run has to wind up by itself after a stop signal.
constexpr int kStopUnwindMs = 10000;

// SIGTERM, SIGINT and SIGHUP stop the run. The handler only notes the first of them and
// wakes a thread of this layer, which ends every process below this one at once
// (endDescendants); the run sees stopSignal and winds up by itself. When it has not
// ended kStopUnwindMs later, or another of these signals comes, that thread ends what
// is left and the program, with the exit status 128 + the signal. A signal that was
// ignored when the program started (nohup) stays ignored. Once per process; 0 or errno.
[[nodiscard]] int installStopHandlers();

// The signal that asked the run to stop; 0 while none has.
int stopSignal();

// Called once, on this layer's own thread, as soon as the first stop signal has come, so
// that the run can interrupt what it is doing. It must return quickly. Set it before
// installStopHandlers.
using StopListener = void (*)(int signal);
void setStopListener(StopListener listener);

// After a stop, ends what was started after the stop's own sweep: a wait on a child
// calls it, so that a child born in that gap does not outlive the run.
void endLateStartedIfStopped();

// What a shell reports for a program ended by the signal.
constexpr int signalExitStatus(int signal) { return 128 + signal; }

// "SIGSEGV" for 11; "signal 70" for a number without a name here.
QString signalName(int signal);

}  // namespace platform
