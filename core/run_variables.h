#pragma once

#include "core/latin1_literal.h"

// Names of the variables through which a job steers the run and the log.
namespace run_variables {

inline constexpr QLatin1String kInterruptTasks = latin1("interrupt.tasks");
inline constexpr QLatin1String kInterruptTasksOnError = latin1("interrupt.tasks.on.error");
inline constexpr QLatin1String kPlaySoundWhenComplete = latin1("play.sound.when.complete");
inline constexpr QLatin1String kShowMessageWhenComplete = latin1("show.message.when.complete");
inline constexpr QLatin1String kLogLevel = latin1("log.level");

}  // namespace run_variables
