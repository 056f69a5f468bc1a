#include "build/task_version_file_write.h"

#include "build/h_version_file_parser.h"
#include "build/log_block.h"
#include "build/net_version_file_parser.h"
#include "build/result_codes.h"
#include "build/version_file_text.h"
#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/version_utils.h"

namespace {

const QLatin1String kName("VersionFileWrite");
const QLatin1String kFile("file");
const QLatin1String kVersion("version");
const QLatin1String kAutoStamp("autoStamp");

}  // namespace

TaskVersionFileWrite::TaskVersionFileWrite(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskVersionFileWrite::~TaskVersionFileWrite() { markInterrupted(); }

int TaskVersionFileWrite::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                                IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(write(expander), setter, resultVar, failOnError);
}

int TaskVersionFileWrite::write(IVariablesExpander* expander) {
  const QString file = expandedTrimmed(expander, propertyText(kFile));
  QString version = expandedTrimmed(expander, propertyText(kVersion));
  const QString autoStamp = expandedTrimmed(expander, propertyText(kAutoStamp));
  VLOG_INFO(getName()) << logBlock(QStringLiteral("Try to update version. "),
                                   {{"File", file}, {"Version", version}, {"Auto stamp", autoStamp}}, getId());
  int code = checkFileNamed(file);
  if (code != build_codes::kOk) return code;

  if (isTrue(autoStamp)) {
    QString stamped;
    code = stampVersion(version, stamped);
    if (code != build_codes::kOk) {
      VLOG_ERROR(getName()) << "Failed to generate file version. Error: " << code << ". Task ID: " << getId();
      return code;
    }
    VLOG_INFO(getName()) << "Version has been modified from '" << version << "' to '" << stamped
                         << "'. Task ID: " << getId();
    version = stamped;
  }

  const bool net = isNetVersionFile(file);
  code = net ? NetVersionFileParser().writeVersion(file, version) : HVersionFileParser().writeVersion(file, version);
  if (code != build_codes::kOk) {
    VLOG_ERROR(getName()) << (net ? "" : "[start] ") << "Failed to update version in the file '" << file
                          << "'. Error: " << code << ". Task ID: " << getId();
  }
  return code;
}
