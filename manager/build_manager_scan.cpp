#include "manager/build_manager.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/run_variables.h"
#include "manager/result_codes.h"
#include "project/project_build.h"
#include "project/project_files.h"

#include <QMutexLocker>

using namespace manager_codes;

namespace {

// The task id of the driver's own walk; reports under any other id are not its own.
constexpr std::uint32_t kScanTaskId = 1;

std::shared_ptr<ProjectCommon> newProject(const SolutionInfo& solution, qint64 id) {
  switch (solution.type) {
    case ProjectTypeBuild: return std::make_shared<ProjectBuild>(id, solution.name);
    case ProjectTypeFiles: return std::make_shared<ProjectFiles>(id, solution.name);
    default: return nullptr;
  }
}

}  // namespace

QString BuildManager::getScanDirectory() {
  QString directory;
  if (globalVariables_.get(run_variables::kSvnRepositoryDir, directory) != kOk) return QString();
  return dirExists(directory) ? directory : QString();
}

int BuildManager::scan() {
  QString directory = scanDirectory();
  if (!fileExists(directory)) {
    if (!directory.isEmpty()) {
      VLOG_WARNING(kLogTag) << "[Scan] Directory to scan 'Build rules' files not found. Directory: '" << directory
                            << "'.";
    }
    directory = getScanDirectory();
    if (!fileExists(directory)) directory = getApplicationDirectory();
    if (!fileExists(directory)) {
      VLOG_ERROR(kLogTag) << "[Scan] Directory to scan 'Build rules' files not found. Directory: '" << directory
                          << "'.";
      return kNoScanDirectory;
    }
  }
  {
    QMutexLocker lock(&settingsMutex_);
    scanDirectory_ = directory;
  }
  VLOG_INFO(kLogTag) << "[Scan] Try to scan 'Build rules' files. Initial directory: '" << directory << "'.";
  rulesEnum_.stop();
  return rulesEnum_.enumerate(kScanTaskId, directory, projectsExpander(), this);
}

int BuildManager::directoryFound(std::uint32_t, const QString&) { return kOk; }

int BuildManager::fileFound(std::uint32_t taskId, const QString& path) {
  if (taskId != kScanTaskId || !BuildRulesEnum::isRulesFile(path)) return kOk;
  // The walker has just read the file: it is not read again.
  return parseBuildRules(path, rulesEnum_.reportedContent(path));
}

int BuildManager::parseBuildRules(const QString& path) { return parseBuildRules(path, nullptr); }

int BuildManager::parseBuildRules(const QString& path, const QByteArray* content) {
  VLOG_TRACE(kLogTag) << "[ParseBuildRules] Try to process the build rules file: '" << path << "'.";
  projectParser_.stop();
  const int parsed = content ? projectParser_.parseContent(path, *content, true, QString(), QString())
                             : projectParser_.parseFile(path, true, QString(), QString());
  if (parsed != kOk) {
    VLOG_ERROR(kLogTag) << "[ParseBuildRules] Failed to parse file: '" << path << "'.";
    projectParser_.stop();
    return parsed;
  }
  std::vector<SolutionInfo> solutions;
  projectParser_.getSolutions(solutions);
  projectParser_.stop();

  for (const SolutionInfo& solution : solutions) {
    QString existingDefFile;
    bool known = false;
    {
      QMutexLocker lock(&projectsMutex_);
      const auto it = projects_.find(solution.name);
      if (it != projects_.end()) {
        known = true;
        existingDefFile = it->second->getDefFile();
      }
    }
    if (known) {
      if (samePath(existingDefFile, solution.rulesFile)) {
        VLOG_ERROR(kLogTag) << "[ParseBuildRules] Found project with same name. Name: " << solution.name
                            << ". Path: " << solution.rulesFile
                            << ". Path of already existing project: " << existingDefFile;
        return kProjectDefinedTwice;
      }
      continue;  // the first definition of a name wins
    }
    if (solution.type != ProjectTypeBuild && solution.type != ProjectTypeFiles) continue;
    const std::shared_ptr<ProjectCommon> project = newProject(solution, projectIds_.nextId());
    project->setBuildType(static_cast<BuildTool>(solution.buildType));
    project->setDistribution(static_cast<Distribution>(solution.distribution));
    project->setProjectFile(solution.projectFile);
    project->setSolutionDir(solution.solutionDir);
    project->setDefFile(solution.rulesFile);
    project->setCondition(solution.condition);
    project->setComment(solution.comment);
    project->setFilter(solution.filter);
    project->setPlatformToolset(solution.platformToolset);
    project->setPlatformMappings(solution.platformMappings);
    project->setOutputs(solution.outputs);
    project->setAttributes(solution.attributes);
    for (const VersionFileInfo& versionFile : solution.versionFiles)
      (void)project->addVersionFile(versionFile);  // a repeated file is kept once
    QStringList children;
    for (const DependenceInfo& dependence : solution.dependences) {
      if (project->addChildProject({dependence.name, dependence.condition}) == kOk) children << dependence.name;
    }

    // Parent links both ways, whatever order the projects are read in.
    for (const DependenceInfo& dependence : solution.dependences) {
      if (IProject* child = getProject(dependence.name)) (void)child->addParentProject(solution.name);  // once
    }
    for (const QString& parent : findParentProjects(solution.name)) (void)project->addParentProject(parent);  // once

    insertProject(project, children);
    VLOG_INFO(kLogTag) << "[FileFound] New project added. Name: " << solution.name << ". Path: " << solution.rulesFile
                       << ". Type: " << solution.type;
  }
  return kOk;
}
