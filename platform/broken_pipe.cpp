#include "platform/broken_pipe.h"

#include <cerrno>
#include <signal.h>

namespace platform {

namespace {

void onBrokenPipe(int) {}

}  // namespace

int installBrokenPipeHandler() {
  struct sigaction old;
  if (::sigaction(SIGPIPE, nullptr, &old) != 0) return errno;
  if (old.sa_handler == SIG_IGN) return 0;
  struct sigaction action = {};
  action.sa_handler = &onBrokenPipe;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // the write itself fails; nothing else is cut short
  return ::sigaction(SIGPIPE, &action, nullptr) == 0 ? 0 : errno;
}

}  // namespace platform
