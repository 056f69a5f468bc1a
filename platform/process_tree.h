#pragma once

namespace platform {

// How long the processes below this one have between SIGTERM and SIGKILL.
constexpr int kEndGraceMs = 2000;

// Makes this program the reaper of what its children leave behind: a process whose
// parent ends comes to this one instead of to init, so endDescendants still finds it.
// 0 or errno.
[[nodiscard]] int adoptOrphans();

// Whether the processes below this one can be found at all (/proc is there); without it
// only the children that this program started itself (ChildStart) can be ended.
bool canSeeDescendants();

// Ends every process below this one, children of children included: SIGTERM (and
// SIGCONT, for one that is stopped), up to graceMs for them to end, then SIGKILL for
// what is left, until none is left. A process gets SIGTERM once in the program's life,
// whichever call finds it first; a later call waits out the grace it was given. A
// process counts as ended when all its threads have. Returns how many this call gave
// SIGTERM; 0 when there were none.
int endDescendants(int graceMs = kEndGraceMs);

// From this call on, every child that is registered is given SIGTERM at once: it was
// started as the run was being stopped, after the sweep that ends the rest.
void endChildrenAsTheyStart();

// A child that this program starts itself, from just before its start until its id is
// known. While any start is under way no ended child is taken for an orphan: its exit
// status belongs to the one that started it. Then the child stays registered until its
// owner has taken its status (childCollected).
class ChildStart {
 public:
  ChildStart();
  ~ChildStart();
  ChildStart(const ChildStart&) = delete;
  ChildStart& operator=(const ChildStart&) = delete;
  // The child's id; 0 or less when none was started.
  void started(long long pid);
};

// The owner of the child has taken its exit status (or given up on it).
void childCollected(long long pid);

// Takes the exit status of every ended child that this program did not start itself (an
// orphan adopted from below), so that none stays a zombie while the run goes on.
void reapOrphans();

}  // namespace platform
