#include "build/task_version_file_read.h"

#include "build/h_version_file_parser.h"
#include "build/net_version_file_parser.h"
#include "build/result_codes.h"
#include "build/version_file_text.h"
#include "core/logger.h"

namespace {

const QLatin1String kName("VersionFileRead");
const QLatin1String kFile("file");
const QLatin1String kValueVar("valuevar");

}  // namespace

TaskVersionFileRead::TaskVersionFileRead(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskVersionFileRead::~TaskVersionFileRead() { markInterrupted(); }

int TaskVersionFileRead::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                               IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(read(expander, setter), setter, resultVar, failOnError);
}

int TaskVersionFileRead::read(IVariablesExpander* expander, IVariablesSetter* setter) {
  const QString file = expandedTrimmed(expander, propertyText(kFile));
  const QString valueVar = expandedTrimmed(expander, propertyText(kValueVar));
  int code = checkFileNamed(file);
  if (code != build_codes::kOk) return code;

  QString version;
  if (isNetVersionFile(file)) {
    QString fileVersion;
    code = NetVersionFileParser().readVersion(file, version, fileVersion);
  } else {
    code = HVersionFileParser().readVersion(file, version);
  }
  if (code != build_codes::kOk) {
    VLOG_ERROR(getName()) << "Failed to read version from file '" << file << "'. Error: " << code
                          << ". Task ID: " << getId();
    return code;
  }
  setVariable(setter, valueVar, version);
  return build_codes::kOk;
}
