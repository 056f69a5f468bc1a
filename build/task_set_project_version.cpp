#include "build/task_set_project_version.h"

#include "build/h_version_file_parser.h"
#include "build/log_block.h"
#include "build/net_version_file_parser.h"
#include "build/result_codes.h"
#include "build/version_file_text.h"
#include "core/file_utils.h"
#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "core/version_utils.h"
#include "project/iproject.h"
#include "project/project_paths.h"

namespace {

const QLatin1String kName("SetProjectVersion");
const QLatin1String kVersionId("versionId");
const QLatin1String kVersion("version");
const QLatin1String kAutoStamp("autoStamp");

// A version that uses only the separator `from` (after its first character) gets `to`.
QString withSeparator(const QString& version, QChar from, QChar to) {
  if (version.contains(to) || version.indexOf(from) <= 0) return version;
  QString converted = version;
  return converted.replace(from, to);
}

}  // namespace

TaskSetProjectVersion::TaskSetProjectVersion(std::uint64_t id, ITask* parent) : TaskProject(id, kName, parent) {}

TaskSetProjectVersion::~TaskSetProjectVersion() { markInterrupted(); }

int TaskSetProjectVersion::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                                 IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(setVersion(expander, getter), setter, resultVar, failOnError);
}

int TaskSetProjectVersion::setVersion(IVariablesExpander* expander, IVariablesGetter* getter) {
  const QString name = getProjectName(expander);
  const QString versionId = expandedTrimmed(expander, propertyText(kVersionId));
  QString version = expandedTrimmed(expander, propertyText(kVersion));
  const QString autoStamp = expandedTrimmed(expander, propertyText(kAutoStamp));
  VLOG_INFO(getName()) << logBlock(QStringLiteral("Try to set version. "),
                                   {{"Project name", name},
                                    {"Version ID", versionId},
                                    {"Version", version},
                                    {"Auto stamp", autoStamp}},
                                   getId());
  if (name.isEmpty()) {
    VLOG_ERROR(getName()) << "Project name not defined! Task ID: " << getId();
    return build_codes::kNoProjectName;
  }
  IProject* project = getProject(name);
  if (!project) {
    VLOG_ERROR(getName()) << "Project with name '" << name << "' not found. Task ID: " << getId();
    return build_codes::kUnknownProject;
  }
  const QString inProject = QLatin1String("Project: '") + name + QLatin1String("'. Task ID: ");

  if (version.isEmpty() && getter) {
    const QString key = versionId.isEmpty() ? QStringLiteral("version") : versionId + QLatin1String(".version");
    const QString variable = name + QLatin1Char('.') + key;
    VLOG_INFO(getName()) << "Version not defined. Try to find the version number from global variables by name '"
                         << variable << "'. " << inProject << getId();
    QString value;
    if (getter->get(variable, value) != 0) {
      VLOG_WARNING(getName()) << "Version number is not found (variable name: '" << variable << "'). "
                              << inProject << getId();
    } else {
      version = expandedTrimmed(expander, value);
      VLOG_INFO(getName()) << "Version from the list of variables: '" << version << "' was received. "
                           << inProject << getId();
    }
  }
  if (version.isEmpty()) {
    VLOG_ERROR(getName()) << "Version not defined! Task ID: " << getId();
    return build_codes::kNoVersion;
  }

  if (!isFalse(autoStamp)) {
    QString stamped;
    const int code = stampVersion(version, stamped);
    if (code != build_codes::kOk) {
      VLOG_ERROR(getName()) << "Failed to generate file version. Error: " << code << ". " << inProject << getId();
      return code;
    }
    version = stamped;
  }

  QString file;
  const QString ids = QLatin1String("Version ID: '") + versionId + QLatin1String("'. ");
  int code = selectVersionFile(project, versionId, expander, file);
  if (code != build_codes::kOk) {
    VLOG_ERROR(getName()) << "Version file not defined. Error: " << code << ". " << ids << inProject << getId();
    return code;
  }
  if (!fileExists(file)) {
    VLOG_ERROR(getName()) << "Version file not found. File: '" << file << "'. Error: " << build_codes::kFileNotFound
                          << ". " << ids << inProject << getId();
    return build_codes::kFileNotFound;
  }
  const QString fileAndVersion =
      QLatin1String("File: '") + file + QLatin1String("'. Version: '") + version + QLatin1String("'. ");
  code = updateVersionFile(file, version);
  if (code != build_codes::kOk) {
    VLOG_ERROR(getName()) << "Failed to update version. " << fileAndVersion << "Error: " << code << ". "
                          << inProject << getId();
    return code;
  }
  VLOG_INFO(getName()) << "Version was changed. " << fileAndVersion << inProject << getId();
  return build_codes::kOk;
}

int TaskSetProjectVersion::selectVersionFile(IProject* project, const QString& versionId,
                                             IVariablesExpander* expander, QString& file) {
  file.clear();
  if (!project) return build_codes::kNullArgument;
  const int count = project->getVersionFileCount();
  if (count <= 0) return build_codes::kNoVersionFiles;
  VersionFileInfo info;
  if (versionId.isEmpty()) {
    if (project->getVersionFileAt(0, info) != 0) return build_codes::kVersionFileUnreadable;
    file = info.file;
  } else {
    for (int i = 0; i < count; ++i) {
      if (project->getVersionFileAt(i, info) == 0 && info.id.compare(versionId, Qt::CaseInsensitive) == 0) {
        file = info.file;
        break;
      }
    }
  }
  if (!file.isEmpty()) file = resolveProjectPath(file, project, expander);
  return build_codes::kOk;
}

int TaskSetProjectVersion::updateVersionFile(const QString& file, const QString& version) {
  if (!fileExists(file)) return build_codes::kFileNotFound;
  if (isNetVersionFile(file))
    return NetVersionFileParser().writeVersion(file, withSeparator(version, QLatin1Char(','), QLatin1Char('.')));
  return HVersionFileParser().writeVersion(file, withSeparator(version, QLatin1Char('.'), QLatin1Char(',')));
}
