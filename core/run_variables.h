#pragma once

#include <QLatin1String>

// Names of the variables through which a job steers the run and the log.
namespace run_variables {

constexpr QLatin1String kInterruptTasks("interrupt.tasks");
constexpr QLatin1String kInterruptTasksOnError("interrupt.tasks.on.error");
constexpr QLatin1String kPlaySoundWhenComplete("play.sound.when.complete");
constexpr QLatin1String kShowMessageWhenComplete("show.message.when.complete");
constexpr QLatin1String kLogLevel("log.level");

}  // namespace run_variables
