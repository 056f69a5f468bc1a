#include "build/task_build_impl.h"

#include "build/log_block.h"
#include "build/result_codes.h"
#include "core/file_utils.h"
#include "core/iproperties.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "project/iproject.h"
#include "project/project_state.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

#include <QStringList>

using namespace build_codes;

namespace {

const QLatin1String kPlatformToolset("platformToolset");
const QLatin1String kOutputBuildDir("outputbuilddir");
const QLatin1String kExtraParam("extraparam");
const QLatin1String kSkipBuild("skipBuild");

// The path made absolute against the current directory and cleaned; empty stays empty.
QString absoluteAgainstCurrent(const QString& path) { return path.isEmpty() ? path : cleanAbsolutePath(path); }

// The attribute expanded and trimmed into out; when missing, the store's code and out
// as it was.
[[nodiscard]] int readExpandedTrimmed(IPropertiesGetter* properties, const QString& key,
                                      IVariablesExpander* expander, QString& out) {
  QString text;
  const int code = properties->getString(key, text);
  if (code == kOk) out = expandedTrimmed(expander, text);
  return code;
}

}  // namespace

int TaskBuildImpl::getConfiguration(IVariablesExpander* expander, QString& out) {
  return readExpandedTrimmed(getProperties(), task_texts::kConfiguration, expander, out);
}

int TaskBuildImpl::getTarget(IVariablesExpander* expander, QString& out) {
  return readExpandedTrimmed(getProperties(), task_texts::kTarget, expander, out);
}

int TaskBuildImpl::getExtraParam(IVariablesExpander* expander, QString& out) {
  return readExpandedTrimmed(getProperties(), kExtraParam, expander, out);
}

int TaskBuildImpl::getOutputBuildDir(IVariablesExpander* expander, QString& out) {
  QString text;
  const int code = getProperties()->getString(kOutputBuildDir, text);
  if (code != kOk) return code;
  expandVariables(expander, text);
  out = text;
  return kOk;
}

int TaskBuildImpl::getPlatform(IVariablesExpander* expander, QString& out) {
  const int code = readExpandedTrimmed(getProperties(), task_texts::kPlatform, expander, out);
  if (code != kOk || out.isEmpty()) return code;
  if (IProject* project = getProject(getProjectName(expander))) {
    for (const PlatformMapping& mapping : project->getPlatformMappings()) {
      if (mapping.from.compare(out, Qt::CaseInsensitive) == 0) {
        out = mapping.to;
        break;
      }
    }
  }
  return kOk;
}

int TaskBuildImpl::getPlatformToolset(IVariablesExpander* expander, QString& out) {
  // A task without the attribute takes the project's toolset, as one with an empty one.
  out = expandedTrimmed(expander, propertyText(kPlatformToolset));
  if (!out.isEmpty()) return kOk;
  const QString projectName = getProjectName(expander);
  if (projectName.isEmpty()) return task_codes::kNoProjectName;
  IProject* project = getProject(projectName);
  if (!project) return kUnknownProject;
  out = expandedTrimmed(expander, project->getPlatformToolset());
  return kOk;
}

QString TaskBuildImpl::getRootDir(IVariablesExpander* expander) {
  QString rootDir = propertyText(task_texts::kRootDir);
  expandVariables(expander, rootDir);
  if (!rootDir.isEmpty()) return rootDir;
  IProject* project = getProject(getProjectName(expander));
  return project ? absoluteDirPath(project->getDefFile()) : QString();
}

QString TaskBuildImpl::getProjectFilePath(IVariablesExpander* expander) {
  const QString projectFile = expandedTrimmed(expander, propertyText(task_texts::kProjectFile));
  if (!projectFile.isEmpty()) return projectFile;
  IProject* project = getProject(getProjectName(expander));
  // Without a project file this names the root directory, with its separator: qmake
  // builds the project file that a directory holds.
  return project ? makeAbsolutePath(getRootDir(expander), project->getProjectFile()) : QString();
}

int TaskBuildImpl::getOutputDirectory(QString& out, IVariablesExpander* expander, IVariablesGetter* getter) {
  const QString output = getOutput(expander);
  if (output.isEmpty()) {
    VLOG_ERROR(getName()) << "Output folder not defined! Task ID: " << getId();
    return kNotDefined;
  }
  const QString projectName = getProjectName(expander);
  if (projectName.isEmpty()) {
    VLOG_ERROR(getName()) << "Project name not defined! Task ID: " << getId();
    return task_codes::kNoProjectName;
  }
  out = getAbsoluteOutput(expander);
  const QString sub = getOutSubdir(projectName, expander, getter);
  if (!sub.isEmpty()) {
    combinePath(out, sub);
    VLOG_CAT(logger::LogInfo, logger::FilterTaskBuild, getName())
        << "Output directory was changed to '" << out << "'. Added subdirectory: '" << sub << "'. Project name: '"
        << projectName << "'. Task ID: " << getId();
  }
  return kOk;
}

bool TaskBuildImpl::isSkipBuild(IVariablesExpander* expander) {
  return isTrue(expandedTrimmed(expander, propertyText(kSkipBuild)));
}

namespace {

// The file qmake gets: always absolute, since qmake runs in the build directory. A
// relative path that names a file from here is taken from here; any other is taken
// against the project's solution directory, itself against its build rules' directory.
QString absoluteProjectFile(const QString& path, IProject* project) {
  if (path.isEmpty() || isAbsolutePath(path)) return path;
  if (fileExists(path)) return absoluteAgainstCurrent(path);
  const QString rulesDir = absoluteDirPath(project->getDefFile());
  return absoluteAgainstCurrent(makeAbsolutePath(makeAbsolutePath(rulesDir, project->getSolutionDir()), path));
}

// Where a build goes that names no build directory (a -build group cannot): beside the
// project file, as qmake users shadow-build.
QString defaultOutputBuildDir(const BuildRun& run) {
  if (run.projectFile.isEmpty()) return QString();
  QString name = QLatin1String("build-") + run.projectName;
  if (!run.configuration.isEmpty()) name += QLatin1Char('-') + run.configuration;
  QString dir = absoluteDirPath(run.projectFile);
  return combinePath(dir, name);
}

}  // namespace

int TaskBuildImpl::readBuildRun(IVariablesExpander* expander, IVariablesGetter* getter, BuildRun& run) {
  const int code = getOutputDirectory(run.output, expander, getter);
  if (code != kOk) {
    VLOG_ERROR(getName()) << "Failed to retrieve output folder! Task ID: " << getId() << ". Error: " << code;
    return code;
  }
  run.projectName = getProjectName(expander);
  if (run.projectName.isEmpty()) {
    VLOG_ERROR(getName()) << "Project name not defined! Task ID: " << getId();
    return task_codes::kNoProjectName;
  }
  run.project = getProject(run.projectName);
  if (!run.project) {
    VLOG_ERROR(getName()) << "Project with name '" << run.projectName << "' not found. Task ID: " << getId();
    return kUnknownProject;
  }
  // Attributes a task does not carry (a -build group gives few) read as empty.
  (void)getConfiguration(expander, run.configuration);       // missing-is-empty
  (void)getTarget(expander, run.target);                     // missing-is-empty
  (void)getPlatform(expander, run.platform);                 // missing-is-empty
  (void)getPlatformToolset(expander, run.platformToolset);  // the project is there
  (void)getExtraParam(expander, run.extraParam);             // missing-is-empty
  run.rootDir = getRootDir(expander);
  run.projectFile = absoluteProjectFile(getProjectFilePath(expander), run.project);
  if (getProperties()->contains(kOutputBuildDir)) {
    QString dir;
    (void)getOutputBuildDir(expander, dir);  // it is there
    run.outputBuildDir = absoluteAgainstCurrent(dir);
  } else {
    run.outputBuildDir = defaultOutputBuildDir(run);
  }
  return kOk;
}

bool TaskBuildImpl::isAlreadyBuilt(const BuildRun& run) const {
  return project_state::holds(run.project, project_state::kBuilt,
                              buildStateKey(run.configuration, run.platform, run.platformToolset));
}

bool TaskBuildImpl::isAlreadyProcessed(const BuildRun& run) const {
  return project_state::holds(
      run.project, project_state::kResultOutputs,
      projectBuildStateKey(run.configuration, run.platform, run.platformToolset, run.output));
}

int TaskBuildImpl::markBuilt(const BuildRun& run) const {
  return project_state::add(run.project, project_state::kBuilt,
                            buildStateKey(run.configuration, run.platform, run.platformToolset));
}

int TaskBuildImpl::markProcessed(const BuildRun& run) const {
  return project_state::add(run.project, project_state::kResultOutputs,
                            projectBuildStateKey(run.configuration, run.platform, run.platformToolset, run.output));
}

QProcessEnvironment TaskBuildImpl::getProcessEnvironment(IVariablesExpander* expander) const {
  TaskEnvironment entries;
  getEnvironment(entries);
  QProcessEnvironment environment;
  for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
    if (it.key().isEmpty()) continue;
    QString name = it.key();
    QString value = it.value();
    expandVariables(expander, name);
    expandVariables(expander, value);
    environment.insert(name.trimmed(), value);
  }
  return environment;
}

QString TaskBuildImpl::environmentToText(const QProcessEnvironment& environment) {
  QStringList names = environment.keys();
  names.sort();
  QStringList pairs;
  for (const QString& name : names) pairs << name + QLatin1Char('=') + environment.value(name);
  return pairs.join(QLatin1Char(';'));
}

void TaskBuildImpl::logBuildInfo(const QString& message, const BuildRun& run, IVariablesExpander* expander,
                                 IVariablesGetter* getter) {
  TaskProject* owner = actingFor();
  VLOG_CAT(logger::LogInfo, logger::FilterTaskBuild, getName())
      << logBlock(message,
                  {{"Parent task IDs", owner->getParentTaskIds()},
                   {"Parent projects", owner->getParentProjectNames(expander, getter)},
                   {"Project name", run.projectName},
                   {"Project file", run.projectFile},
                   {"Build type", buildToolName(run.project->getBuildType())},
                   {"Distribution type", distributionName(run.project->getDistribution())},
                   {"Output directory", run.output},
                   {"Output build directory", run.outputBuildDir},
                   {"Root directory", run.rootDir},
                   {"Configuration", run.configuration},
                   {"Target", run.target},
                   {"Platform", run.platform},
                   {"Platform toolset", run.platformToolset},
                   {"Extra parameters", run.extraParam}},
                  getId());
}
