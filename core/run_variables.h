#pragma once

#include "core/latin1_literal.h"

// Names of the built-in variables, of those through which a job steers the run and
// the log, and of those set while a project task is built.
namespace run_variables {

inline constexpr QLatin1String kSymbolCr = latin1("symbol.cr");
inline constexpr QLatin1String kSymbolLf = latin1("symbol.lf");
inline constexpr QLatin1String kSymbolCrLf = latin1("symbol.crlf");
inline constexpr QLatin1String kSymbolQuote = latin1("symbol.quote");
inline constexpr QLatin1String kSymbolSingleQuote = latin1("symbol.squote");
inline constexpr QLatin1String kSymbolLeftAngleBracket = latin1("symbol.left.angle.bracket");
inline constexpr QLatin1String kSymbolRightAngleBracket = latin1("symbol.right.angle.bracket");

inline constexpr QLatin1String kInterruptTasksOnError = latin1("interrupt.tasks.on.error");
inline constexpr QLatin1String kInterruptTasks = latin1("interrupt.tasks");
inline constexpr QLatin1String kPlaySoundWhenComplete = latin1("play.sound.when.complete");
inline constexpr QLatin1String kShowMessageWhenComplete = latin1("show.message.when.complete");
inline constexpr QLatin1String kSvnRepositoryDir = latin1("svn.repository.dir");

inline constexpr QLatin1String kCurrentTime = latin1("current.time");
inline constexpr QLatin1String kVersionBuildNumber = latin1("version.build.number");
inline constexpr QLatin1String kComputerName = latin1("this.computer.name");
inline constexpr QLatin1String kUserName = latin1("this.user.name");
inline constexpr QLatin1String kDomainName = latin1("this.domain.name");
inline constexpr QLatin1String kUserSid = latin1("this.user.sid");
inline constexpr QLatin1String kThisFile = latin1("this.file");
inline constexpr QLatin1String kThisDir = latin1("this.dir");
inline constexpr QLatin1String kHomeDir = latin1("home.dir");

inline constexpr QLatin1String kLogLevel = latin1("log.level");
inline constexpr QLatin1String kLogFilterTaskManager = latin1("log.filter.task.manager");
inline constexpr QLatin1String kLogFilterTaskDetails = latin1("log.filter.task.details");
inline constexpr QLatin1String kLogFilterTaskBuild = latin1("log.filter.task.build");
inline constexpr QLatin1String kLogFilterTaskCopy = latin1("log.filter.task.copy");
inline constexpr QLatin1String kLogFilterCopyFiles = latin1("log.filter.copy.files");

inline constexpr QLatin1String kCurrentBuildConfiguration = latin1("internal.current.build.configuration");
inline constexpr QLatin1String kCurrentBuildPlatform = latin1("internal.current.build.platform");
inline constexpr QLatin1String kCurrentBuildTarget = latin1("internal.current.build.target");

}  // namespace run_variables
