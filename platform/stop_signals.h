#pragma once

#include <QString>

namespace platform {

// What hears the stop signals (SIGTERM, SIGINT, SIGHUP), on a thread of this layer, never
// in a signal handler: the first signal, every later one, and the time it asked for. Each
// call returns when, in ms after the first signal, onTimeUp is to come if no signal comes
// before; a negative value asks for no such call. A call must return quickly.
class IStopSignalListener {
 public:
  virtual ~IStopSignalListener() = default;
  virtual long long onStop(int signal) = 0;
  virtual long long onLaterSignal(int signal, long long msAfterFirst) = 0;
  virtual long long onTimeUp(long long msAfterFirst) = 0;
};

// Installs the handlers of the stop signals. A handler only notes the signal and wakes
// this layer's thread, which tells the listener; the thread is born with the signals
// blocked, so that they come to the run's own thread and cut short what it waits on (a
// terminal, a pipe). A signal that was ignored when the program started (nohup) stays
// ignored. Should the listener fail (it throws), the program ends at once by the first
// signal with every process below it. Once per process; 0 or errno.
[[nodiscard]] int listenForStopSignals(IStopSignalListener* listener);

// The signal that asked the run to stop, the first one; 0 while none has.
int stopSignal();

// Ends this program by the signal, as the signal's default action does, so that whoever
// waits for it sees that death (a shell that ran it stops its script). Never returns.
[[noreturn]] void dieBySignal(int signal);

// What a shell reports for a program ended by the signal.
constexpr int signalExitStatus(int signal) { return 128 + signal; }

// "SIGSEGV" for 11; "signal 70" for a number without a name here.
QString signalName(int signal);

}  // namespace platform
