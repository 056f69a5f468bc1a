#pragma once

namespace platform {

// How long the processes below this one have between SIGTERM and SIGKILL.
constexpr int kEndGraceMs = 2000;

// Makes this program the reaper of what its children leave behind: a process whose
// parent ends comes to this one instead of to init, so endDescendants still finds it.
// Such orphans are reaped as they end, on a thread of this layer that SIGCHLD wakes (a
// handler that was there before is still called). 0 or errno.
[[nodiscard]] int adoptOrphans();

// Whether the processes below this one can be found at all (/proc is there); without it
// only the children that this program registered itself can be ended.
bool canSeeDescendants();

// Ends every process below this one, children of children included: SIGTERM (and
// SIGCONT, for one that is stopped), up to graceMs for them to end, then SIGKILL for
// what is left, until none is left. A process gets SIGTERM once in the program's life,
// whichever call finds it first; a later call waits out the grace it was given. A
// process counts as ended when all its threads have. Returns how many this call gave
// SIGTERM; 0 when there were none.
int endDescendants(int graceMs = kEndGraceMs);

// The sweep of a stop: endDescendants on this layer's thread, so that the caller goes on
// at once. From then on a child whose program is confirmed to run is treated as a swept
// one: SIGTERM at once, and SIGKILL when it is still there after the grace.
void sweepForStop(int graceMs);

// A child that this program starts itself, registered from just before its start until
// its owner has taken its exit status. While a start is under way no ended child is taken
// for an orphan: its exit status belongs to the one that started it.
class ChildRegistration {
 public:
  ChildRegistration();
  // The owner has taken the child's exit status, or given up on it.
  ~ChildRegistration();
  ChildRegistration(const ChildRegistration&) = delete;
  ChildRegistration& operator=(const ChildRegistration&) = delete;

  // The child's id, once known; 0 or less when none was started.
  void started(long long pid);
  // The child runs its program (its exec is done), where no handler of this program can
  // take a signal meant for it: a child started after a stop's sweep is ended from here.
  void confirmed();
  // As the destructor, earlier.
  void collected();

 private:
  long long pid_ = 0;
  bool starting_ = true;
};

// Takes the exit status of every ended child that this program did not start itself (an
// orphan adopted from below), so that none stays a zombie while the run goes on.
void reapOrphans();

}  // namespace platform
