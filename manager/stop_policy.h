#pragma once

// How the program takes a stop signal: the run winds up by itself, with what it started
// ended below it, and the program then dies by the first signal. Signals that come within
// kSameStopMs of the first belong to its stop; a later one asks for haste, and a run that
// has not wound up in kUnwindMs is given up: both end what is left at once.
constexpr int kSameStopMs = 1000;
constexpr int kUnwindMs = 10000;

// Installs the handlers with these numbers; 0 or errno.
[[nodiscard]] int installStopPolicy();
