#include "manager/stop_listener.h"

#include "platform/stop_signals.h"
#include "tasks/running_tasks.h"

namespace {

void onStop(int) { interruptRunningTasks(); }

}  // namespace

void listenForStops() { platform::setStopListener(&onStop); }
