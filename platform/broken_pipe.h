#pragma once

namespace platform {

// SIGPIPE no longer ends the program: a write to a pipe whose reader has gone fails with
// EPIPE instead. It is caught by a handler that does nothing, not ignored, so that the
// programs a run starts get the default again at their exec; one that was ignored when the
// program started stays ignored. 0 or errno.
[[nodiscard]] int installBrokenPipeHandler();

}  // namespace platform
