#include "manager/build_manager.h"

#include "core/logger.h"
#include "core/run_variables.h"
#include "core/text_helpers.h"

namespace {

struct LevelWord {
  const char* word;
  int level;
};

const LevelWord kLevelWords[] = {
    {"off", logger::LogOff},         {"fatal", logger::LogFatal},     {"error", logger::LogError},
    {"warning", logger::LogWarning}, {"warn", logger::LogWarning},    {"info", logger::LogInfo},
    {"information", logger::LogInfo}, {"debug", logger::LogDebug},    {"trace", logger::LogTrace},
};

struct FilterVariable {
  QLatin1String name;
  std::uint64_t bit;
};

const FilterVariable kFilterVariables[] = {
    {run_variables::kLogFilterCopyFiles, logger::FilterCopyFiles},
    {run_variables::kLogFilterTaskManager, logger::FilterTaskManager},
    {run_variables::kLogFilterTaskDetails, logger::FilterTaskDetails},
    {run_variables::kLogFilterTaskBuild, logger::FilterTaskBuild},
    {run_variables::kLogFilterTaskCopy, logger::FilterTaskCopy},
};

bool levelOf(const QString& value, int& level) {
  for (const LevelWord& w : kLevelWords) {
    if (value.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0) {
      level = w.level;
      return true;
    }
  }
  bool ok = false;
  const int number = value.toInt(&ok, 10);
  if (!ok || number > logger::LogTrace) return false;
  level = number;
  return true;
}

}  // namespace

bool BuildManager::onVariableSet(const QString& name, const QString& value, QString&) {
  if (name.isEmpty() || value.isEmpty()) return false;
  logger::LogManager* log = logger::LogManager::instance();
  if (name.compare(run_variables::kLogLevel, Qt::CaseInsensitive) == 0) {
    int level = 0;
    if (!levelOf(value, level)) return false;
    log->setLevel(level);
    if (level >= logger::LogInfo) VLOG_INFO(kLogTag) << "Logger level was changed to '" << level << "'.";
    return false;
  }
  for (const FilterVariable& f : kFilterVariables) {
    if (name.compare(f.name, Qt::CaseInsensitive) != 0) continue;
    if (isTrue(value))
      log->setFilter(f.bit);
    else if (isFalse(value))
      log->clearFilter(f.bit);
    break;
  }
  return false;
}
