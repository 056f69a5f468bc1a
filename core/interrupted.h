#pragma once

#include <QString>

#include <cstdint>

// The warning of a piece of work that a stop cut short, "<work> was interrupted. Error: 30"
// and, for a task, ". Task ID: <id>"; returns the interrupted code for the caller to pass on.
[[nodiscard]] int reportInterrupted(const QString& tag, const char* work, std::uint64_t taskId = 0);
