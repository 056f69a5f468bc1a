#pragma once

namespace platform {

// How long the processes below this one have between SIGTERM and SIGKILL.
constexpr int kEndGraceMs = 2000;

// Makes this program the reaper of what its children leave behind: a process whose
// parent ends comes to this one instead of to init, so endDescendants still finds it.
// 0 or errno.
[[nodiscard]] int adoptOrphans();

// Ends every process below this one, children of children included: SIGTERM (and
// SIGCONT, for one that is stopped), up to graceMs for them to end, then SIGKILL for
// what is left or was started meanwhile, until none is left. Returns how many were
// running at the call; 0 when there were none.
int endDescendants(int graceMs = kEndGraceMs);

}  // namespace platform
