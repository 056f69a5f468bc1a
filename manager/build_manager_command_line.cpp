#include "manager/build_manager.h"

#include "core/logger.h"
#include "core/path_utils.h"
#include "core/result_codes.h"
#include "core/text_limit.h"
#include "manager/command_line.h"
#include "manager/result_codes.h"

#include <QFile>
#include <QMutexLocker>

using namespace manager_codes;

int BuildManager::parseCommandLine(int argc, char** argv) {
  {
    QMutexLocker lock(&cmdTasksMutex_);
    cmdTasks_.clear();
  }
  {
    QMutexLocker lock(&rootTasksMutex_);
    rootTasks_.clear();
  }
  if (!argv || argc < 1) return kOk;
  VLOG_TRACE(kLogTag) << "[Command line parsing] Argc: " << argc;
  for (int i = 0; i < argc; ++i)
    VLOG_TRACE(kLogTag) << "[Command line parsing] Arg " << (i + 1) << ": "
                        << QFile::decodeName(argv[i] ? argv[i] : "");

  CommandLine line = readCommandLine(argc, argv);
  const TextLimitWatch texts;
  // Expanded against the global variables and taken against the program's directory;
  // none needs to exist yet.
  const auto absolute = [this](QString path) {
    tasksExpander()->expand(path);
    return makeAbsolutePath(getApplicationDirectory(), path);
  };
  if (line.jobFile) line.jobFile = absolute(*line.jobFile);
  if (line.propertiesFile) line.propertiesFile = absolute(*line.propertiesFile);
  if (line.manifestFile) line.manifestFile = absoluteDirPath(absolute(*line.manifestFile));
  // A group's output directory is a command-line path like the others.
  for (CmdTaskEntry& group : line.groups) {
    QString output;
    if (group.properties.getString(CmdTaskEntry::kOutput, output) == kOk)
      (void)group.properties.setString(CmdTaskEntry::kOutput, absolute(output));  // infallible
  }
  if (texts.hit()) return core_codes::kTextTooLong;  // the reference is logged where it grew too long
  {
    QMutexLocker lock(&settingsMutex_);
    if (line.jobFile) jobFilePath_ = *line.jobFile;
    if (line.propertiesFile) propertiesFilePath_ = *line.propertiesFile;
    if (line.manifestFile) scanDirectory_ = *line.manifestFile;
  }
  QMutexLocker lock(&cmdTasksMutex_);
  cmdTasks_ = std::move(line.groups);
  return kOk;
}
