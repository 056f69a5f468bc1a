#include "core/interrupted.h"

#include "core/logger.h"
#include "core/result_codes.h"

int reportInterrupted(const QString& tag, const char* work, std::uint64_t taskId) {
  if (taskId != 0)
    VLOG_WARNING(tag) << work << " was interrupted. Error: " << core_codes::kInterrupted << ". Task ID: " << taskId;
  else
    VLOG_WARNING(tag) << work << " was interrupted. Error: " << core_codes::kInterrupted;
  return core_codes::kInterrupted;
}
