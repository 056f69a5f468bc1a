#include "build/task_copy_project_files.h"

#include "build/log_block.h"
#include "build/result_codes.h"
#include "core/file_set_copy.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "project/iproject.h"
#include "project/project_state.h"
#include "tasks/task_texts.h"

#include <set>

using namespace build_codes;

namespace {

const QLatin1String kName("CopyProjectFiles");
const QLatin1String kBuildConfigurationVar("internal.current.build.configuration");
const QLatin1String kBuildPlatformVar("internal.current.build.platform");
const QLatin1String kAllFileSets("*");

// The distinct, non-empty, trimmed ids in plain character order.
std::set<QString> idSet(const QString& ids) {
  std::set<QString> out;
  for (const QStringRef& part : ids.splitRef(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString id = part.trimmed().toString();
    if (!id.isEmpty()) out.insert(id);
  }
  return out;
}

QString joinIds(const std::set<QString>& ids) {
  QStringList list;
  for (const QString& id : ids) list << id;
  return list.join(QLatin1Char(','));
}

std::vector<FileSetInfo> selectFileSets(const std::vector<FileSetInfo>& all, const std::set<QString>& ids) {
  if (ids.count(kAllFileSets)) return all;
  std::vector<FileSetInfo> out;
  for (const QString& id : ids)
    for (const FileSetInfo& set : all)
      if (set.id.compare(id, Qt::CaseInsensitive) == 0) out.push_back(set);
  return out;
}

}  // namespace

TaskCopyProjectFiles::TaskCopyProjectFiles(std::uint64_t id, ITask* parent) : TaskProject(id, kName, parent) {}

TaskCopyProjectFiles::~TaskCopyProjectFiles() { markInterrupted(); }

QString TaskCopyProjectFiles::processedStateKey(const QString& configuration, const QString& outputDir,
                                                const QString& normalizedIds) {
  return QLatin1String("{configuration:") + configuration + QLatin1String(";filesetids:") + normalizedIds +
         QLatin1String(";}") + outputDir;
}

bool TaskCopyProjectFiles::isDependsFromOtherProjects(IVariablesExpander* expander, IVariablesGetter*) {
  if (!isTrue(expandedTrimmed(expander, propertyText(task_texts::kNotRecursively)))) return true;
  VLOG_CAT(logger::LogInfo, logger::FilterTaskCopy, kName)
      << "This project marked as an independent. Task ID: " << getId();
  return false;
}

int TaskCopyProjectFiles::preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter*,
                                   IConditionHandler* handler, INotifications*) {
  passOutSubdirToDependences(expander, getter, handler, logger::FilterTaskCopy);
  return kOk;
}

int TaskCopyProjectFiles::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                                IConditionHandler* handler, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  const std::uint64_t id = getId();
  const auto finish = [&](int code) { return finishStart(code, setter, resultVar, failOnError); };

  // Absolute: one base for every relative target below, whatever directory the copy takes
  // its sources from.
  QString output = getAbsoluteOutput(expander);
  if (output.isEmpty()) {
    VLOG_ERROR(kName) << "Output folder not defined! Task ID: " << id;
    return finish(kNotDefined);
  }
  const QString projectName = getProjectName(expander);
  if (projectName.isEmpty()) {
    VLOG_ERROR(kName) << "Project name not defined! Task ID: " << id;
    return finish(kNoProjectName);
  }
  IProject* project = getProject(projectName);
  if (!project) {
    VLOG_ERROR(kName) << "Project name: '" << projectName << "'. Task ID: " << id;
    return finish(kUnknownProject);
  }

  const QString configuration = expandedTrimmed(expander, propertyText(task_texts::kConfiguration));
  const QString platform = expandedTrimmed(expander, propertyText(task_texts::kPlatform));
  // Without the attribute every set is meant: a -build group has no such option, and the
  // tasks made for dependences do not inherit it. An empty one names no set.
  const bool idsGiven = getProperties()->contains(task_texts::kFileSetIds);
  const std::set<QString> ids =
      idsGiven ? idSet(expandedTrimmed(expander, propertyText(task_texts::kFileSetIds))) : std::set<QString>{kAllFileSets};
  const QString normalizedIds = joinIds(ids);
  const std::vector<FileSetInfo> fileSets = selectFileSets(getFileSets(), ids);
  if (fileSets.empty()) {
    VLOG_WARNING(kName) << logBlock(QStringLiteral("No files to copy (probably invalid fileset IDs). "),
                                 {{"Output directory", output},
                                  {"Configuration", configuration},
                                  {"Fileset IDs", normalizedIds}},
                                 id);
    return finish(kOk);
  }

  setVariable(setter, kBuildConfigurationVar, configuration);
  setVariable(setter, kBuildPlatformVar, platform);

  const QString subdir = getOutSubdir(projectName, expander, getter);
  if (!subdir.isEmpty()) {
    combinePath(output, subdir);
    VLOG_CAT(logger::LogInfo, logger::FilterTaskCopy, kName)
        << "Output directory was changed to '" << output << "'. Added subdirectory: '" << subdir
        << "'. Project name: '" << projectName << "'. Task ID: " << id;
  }

  const QString key = processedStateKey(configuration, output, normalizedIds);
  if (project_state::holds(project, project_state::kResultOutputs, key)) {
    VLOG_CAT(logger::LogInfo, logger::FilterTaskCopy, kName)
        << logBlock(QStringLiteral("This project has been already processed. "),
                 {{"Parent task IDs", getParentTaskIds()},
                  {"Parent projects", getParentProjectNames(expander, getter)},
                  {"Project name", projectName},
                  {"Output directory", output},
                  {"Configuration", configuration},
                  {"Fileset IDs", normalizedIds}},
                 id);
    return finish(kOk);
  }

  QString rootDir = propertyText(task_texts::kRootDir);
  expandVariables(expander, rootDir);
  VLOG_CAT(logger::LogInfo, logger::FilterTaskCopy, kName)
      << logBlock(QStringLiteral("Try to copy project files. "),
               {{"Parent task IDs", getParentTaskIds()},
                {"Parent projects", getParentProjectNames(expander, getter)},
                {"Project name", projectName},
                {"Output directory", output},
                {"Root directory", rootDir},
                {"Configuration", configuration},
                {"Platform", platform},
                {"Fileset IDs", normalizedIds}},
               id);
  FileSetSubdirs subdirs;
  for (const FileSetInfo& set : fileSets) {
    if (set.id.isEmpty()) continue;
    const QString setSubdir = getFileSetOutSubdir(projectName, expander, getter, set.id);
    VLOG_CAT(logger::LogInfo, logger::FilterTaskCopy, kName)
        << logBlock(QStringLiteral("File set subdirectory info. "),
                 {{"Project name", projectName},
                  {"Output directory", output},
                  {"File set directory", set.dir},
                  {"File set ID", set.id},
                  {"File set subdirectory", setSubdir},
                  {"Fileset IDs", normalizedIds}},
                 id);
    subdirs[set.id] = setSubdir;
  }

  const int code = copyFiles(fileSets, output, rootDir, configuration, expander, handler, subdirs, interruptFlag());
  if (code != kOk) {
    VLOG_ERROR(kName) << "Failed to copy project files. Project name: '" << projectName << "'. Output: '" << output
                      << "'. Task ID: " << id;
    return finish(code);
  }
  (void)project_state::add(project, project_state::kResultOutputs, key);  // infallible: a plain list store
  return finish(kOk);
}
