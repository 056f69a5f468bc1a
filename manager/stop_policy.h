#pragma once

// How the program takes a stop signal (SIGTERM, SIGINT, SIGHUP). The run winds up by
// itself: the running tasks are interrupted, every process below is ended (SIGTERM, then
// SIGKILL after the grace) and so is each one started after that; the finish counts the
// run as interrupted, and the program dies by the first signal with a last log line that
// names it. Signals that come within kSameStopMs of the first belong to its stop. A later
// one asks for haste, and a run that has not wound up in kUnwindMs is given up: either way
// what is left is ended at once, the log gets its last line straight from here, and the
// program dies by the first signal.
class StopPolicy {
 public:
  static constexpr int kSameStopMs = 1000;
  static constexpr int kUnwindMs = 10000;

  // Sets the policy up for the whole process, before the run starts anything; what it
  // cannot set up is logged as a warning.
  static void install();

  // Whether a stop has come.
  static bool stopped();

  // The process's exit code for the run's result. A stopped run logs its stop as its last
  // line and dies by the signal instead.
  static int exitCode(int result);
};
