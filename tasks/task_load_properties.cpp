#include "tasks/task_load_properties.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/properties_file.h"
#include "core/text_helpers.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

TaskLoadProperties::TaskLoadProperties(std::uint64_t id, ITask* parent)
    : TaskCommon(id, task_texts::kLoadProperties, parent) {}

TaskLoadProperties::~TaskLoadProperties() { markInterrupted(); }

int TaskLoadProperties::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                              IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(load(expander, getter, setter), setter, resultVar, failOnError);
}

int TaskLoadProperties::load(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter) {
  const QString file = expandedTrimmed(expander, propertyText(task_texts::kFile));
  const QString replace = expandedTrimmed(expander, propertyText(task_texts::kReplace));
  const QString prefix = expandedTrimmed(expander, propertyText(task_texts::kVarPrefix));
  if (file.isEmpty()) {
    VLOG_ERROR(getName()) << "File not defined! Task ID: " << getId();
    return task_codes::kNotDefined;
  }
  if (!fileExists(file)) {
    VLOG_ERROR(getName()) << "File '" << file << "' not found. Task ID: " << getId();
    return task_codes::kFileNotFound;
  }
  PropertiesFile properties;
  const int code = properties.load(file, getter, setter, isTrue(replace), prefix);
  if (code != 0)
    VLOG_ERROR(getName()) << "Failed to read properties file ('" << file << "'). Error: " << code
                          << ". Task ID: " << getId();
  return code;
}
