#pragma once

#include <QString>

#include <cstdint>

// The end of the print tasks: the listing goes whole into file (truncated first) when
// one is named, then to the log at info level under the task's tag. A file that cannot
// be opened or written is logged as an error; the listing still reaches the log.
void printListing(const QString& tag, std::uint64_t taskId, const QString& file, const QString& listing);
