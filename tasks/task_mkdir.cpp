#include "tasks/task_mkdir.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

namespace {
const QLatin1String kName("Mkdir");
}  // namespace

TaskMkdir::TaskMkdir(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskMkdir::~TaskMkdir() { markInterrupted(); }

int TaskMkdir::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter, IConditionHandler*,
                     INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(run(expander), setter, resultVar, failOnError);
}

int TaskMkdir::run(IVariablesExpander* expander) {
  const QString dir = expandedTrimmed(expander, propertyText(task_texts::kDir));
  if (dir.isEmpty()) {
    VLOG_INFO(kName) << "Directory to create not defined. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (dirExists(dir)) {
    VLOG_INFO(kName) << "Directory '" << dir << "' already exists. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (!makePath(dir)) {
    VLOG_ERROR(kName) << "Failed to create directory '" << dir << "'. Task ID: " << getId();
    return task_codes::kCreateDirectoryFailed;
  }
  VLOG_INFO(kName) << "Directory '" << dir << "' was created successfully. Task ID: " << getId();
  return task_codes::kOk;
}
