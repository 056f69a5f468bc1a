#include "manager/stop_policy.h"

#include "platform/console_output.h"
#include "platform/process_tree.h"
#include "platform/stop_signals.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cstdio>

namespace {

// The log may be held by the run's own thread: this end is told on standard error alone.
void abandonRun(int signal, bool haste) {
  // A file half written under a name of its own would stay beside its target.
  platform::removePendingTemporaryFiles();
  const QByteArray name = platform::signalName(signal).toLatin1();
  const char* const format = haste ? "Another stop signal came after %s: the run was ended at once.\n"
                                   : "The run did not wind up after %s: it was ended.\n";
  char text[200];
  const int size = std::snprintf(text, sizeof text, format, name.constData());
  if (size > 0)
    (void)platform::writeStandardError(text, std::min(static_cast<std::size_t>(size), sizeof text - 1));
}

}  // namespace

int installStopPolicy() {
  platform::StopPolicy policy;
  policy.sameStopMs = kSameStopMs;
  policy.unwindMs = kUnwindMs;
  policy.graceMs = platform::kEndGraceMs;
  policy.abandon = &abandonRun;
  return platform::installStopHandlers(policy);
}
