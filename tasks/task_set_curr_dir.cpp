#include "tasks/task_set_curr_dir.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "platform/file_system.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

namespace {
const QLatin1String kName("SetCurrDir");
}  // namespace

TaskSetCurrDir::TaskSetCurrDir(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskSetCurrDir::~TaskSetCurrDir() { markInterrupted(); }

int TaskSetCurrDir::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                          IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(run(expander), setter, resultVar, failOnError);
}

int TaskSetCurrDir::run(IVariablesExpander* expander) {
  const QString dir = expandedTrimmed(expander, propertyText(task_texts::kDir));
  if (dir.isEmpty()) {
    VLOG_INFO(kName) << "Directory not defined. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (!dirExists(dir)) {
    VLOG_INFO(kName) << "Directory '" << dir << "' not found. Task ID: " << getId();
    return task_codes::kDirectoryNotFound;
  }
  const int error = platform::setCurrentDirectory(fileSystemPath(dir));
  if (error != 0) {
    VLOG_ERROR(kName) << "Failed to set current directory to '" << dir << "'. Error: " << error
                      << ". Task ID: " << getId();
    return task_codes::kSetCurrentDirectoryFailed;
  }
  VLOG_INFO(kName) << "Current directory was changed to '" << dir << "'. Task ID: " << getId();
  return task_codes::kOk;
}
