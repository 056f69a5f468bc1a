#include "build/task_build_qmake.h"

#include "build/log_block.h"
#include "build/result_codes.h"
#include "core/file_set_copy.h"
#include "core/file_utils.h"
#include "core/interrupted.h"
#include "core/logger.h"
#include "core/os_info.h"
#include "core/path_utils.h"
#include "core/tool_paths.h"
#include "platform/process_tree.h"
#include "project/iproject.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextCodec>
#include <QTextDecoder>

#include <memory>

using namespace build_codes;

namespace {

const QLatin1String kName("qmake.build");
const QLatin1String kConfigurationVar("internal.current.build.configuration");
const QLatin1String kTargetVar("internal.current.build.target");
const QLatin1String kPlatformVar("internal.current.build.platform");
const QLatin1String kRunQmake("Run qmake");
const QLatin1String kRunMake("Run make");

QString banner(const char* what, std::uint64_t id, const QString& label) {
  const QString dashes(20, QLatin1Char('-'));
  QString text = QLatin1String("\r\n") + dashes + QLatin1Char(' ') + QLatin1String(what) +
                 QLatin1String(". Task ID: ") + QString::number(id);
  if (!label.isEmpty()) text += QLatin1String(". ") + label;
  return text + QLatin1Char(' ') + dashes + QLatin1String("\r\n");
}

// The tools see the program's own environment with the task's entries added or
// replaced: without PATH and the rest qmake finds no compiler.
QProcessEnvironment toolEnvironment(const QProcessEnvironment& entries) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(entries);
  return environment;
}

// Something that can be run: a directory or a plain data file cannot.
bool isExecutableFile(const QString& path) {
  const QFileInfo info(fileSystemPath(path));
  return info.isFile() && info.isExecutable();
}

}  // namespace

TaskBuildQmake::TaskBuildQmake(std::uint64_t id, ITask* parent) : TaskBuildImpl(id, kName, parent) {}

TaskBuildQmake::~TaskBuildQmake() { markInterrupted(); }

QString TaskBuildQmake::buildStateKey(const QString& configuration, const QString& platform,
                                      const QString& platformToolset) const {
  return QLatin1String("{configuration:") + configuration + QLatin1String(";platform:") + platform +
         QLatin1String(";toolset:") + platformToolset + QLatin1String(";qmake}");
}

QString TaskBuildQmake::projectBuildStateKey(const QString& configuration, const QString& platform,
                                             const QString& platformToolset, const QString& outputDir) const {
  return buildStateKey(configuration, platform, platformToolset) + outputDir;
}

int TaskBuildQmake::preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter*,
                             IConditionHandler* handler, INotifications*) {
  // The dependences are children of the build task, not of this builder.
  passOutSubdirToDependences(expander, getter, handler, logger::FilterTaskBuild, actingFor());
  return kOk;
}

int TaskBuildQmake::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(build(expander, getter, setter, handler), setter, resultVar, failOnError);
}

int TaskBuildQmake::build(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler) {
  BuildRun run;
  int code = readBuildRun(expander, getter, run);
  if (code != kOk) return code;
  setVariable(setter, kConfigurationVar, run.configuration);
  setVariable(setter, kTargetVar, run.target);
  setVariable(setter, kPlatformVar, run.platform);

  if (isAlreadyProcessed(run)) {
    logBuildInfo(QStringLiteral("This project has been already processed"), run, expander, getter);
    return kOk;
  }
  if (isAlreadyBuilt(run)) {
    logBuildInfo(QStringLiteral("This project has been already built"), run, expander, getter);
  } else if (isSkipBuild(expander)) {
    logBuildInfo(QStringLiteral("Building of the project will be skipped"), run, expander, getter);
  } else {
    logBuildInfo(QStringLiteral("Try to build the project"), run, expander, getter);
    code = runTools(run, expander, getter);
    if (code != kOk) return code;
  }

  code = copyOutputs(run, expander, getter, handler);
  if (code != kOk) {
    VLOG_ERROR(kName) << "Failed to copy project files. Project name: '" << run.projectName << "'. Output: '"
                      << run.output << "'. Task ID: " << getId();
    return code;
  }
  code = markProcessed(run);
  if (code == kOk) code = markBuilt(run);
  return code;
}

int TaskBuildQmake::runTools(const BuildRun& run, IVariablesExpander* expander, IVariablesGetter* getter) {
  const std::uint64_t id = getId();
  const QString qmake =
      qmakePath(kOwnOsCode, run.platform, run.platformToolset, expander, getter, getProperties());
  const QString make =
      makeToolPath(kOwnOsCode, run.platform, run.platformToolset, expander, getter, getProperties());
  if (run.projectFile.isEmpty()) {
    VLOG_ERROR(kName) << "Project file not defined. Project name: '" << run.projectName << "'. Task ID: " << id;
    return kNoProjectFile;
  }
  if (!isExecutableFile(qmake)) {
    VLOG_ERROR(kName) << "Qmake file not found! Qmake path: '" << qmake << "'. Project name: '" << run.projectName
                      << "'. Task ID: " << id;
    return kQmakeNotFound;
  }
  if (make.isEmpty()) {
    VLOG_ERROR(kName) << "Make command not defined! Project name: '" << run.projectName << "'. Task ID: " << id;
    return kNoMakeCommand;
  }
  if (!makePath(run.outputBuildDir) && !dirExists(run.outputBuildDir)) {
    VLOG_ERROR(kName) << "Output build directory is not found! Path: '" << run.outputBuildDir
                      << "'. Project name: '" << run.projectName << "'. Task ID: " << id;
    return kNoOutputBuildDir;
  }

  const QProcessEnvironment entries = getProcessEnvironment(expander);
  if (!entries.isEmpty()) {
    VLOG_CAT(logger::LogInfo, logger::FilterTaskBuild, kName)
        << "Task ID: " << id << ". Environment variables: " << environmentToText(entries);
  }
  const QProcessEnvironment environment = toolEnvironment(entries);
  QStringList arguments;
  if (!run.extraParam.isEmpty()) arguments << run.extraParam;
  arguments << run.projectFile;
  {
    QString line = QLatin1String("Task ID: ") + QString::number(id) + QLatin1String(". Try to run: \"") + qmake +
                   QLatin1String("\" ");
    for (const QString& argument : arguments) line += argument + QLatin1Char(' ');
    VLOG_CAT(logger::LogInfo, logger::FilterTaskBuild, kName) << line;
  }
  // A stop that came since the build began starts no further tool.
  if (isInterrupted()) return reportInterrupted(kName, "The build", id);
  if (!runTool(qmake, arguments, environment, kRunQmake, run)) return kQmakeFailed;
  if (isInterrupted()) return reportInterrupted(kName, "The build", id);
  if (!runTool(make, QStringList(), environment, kRunMake, run)) return kMakeFailed;
  return kOk;
}

bool TaskBuildQmake::runTool(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment, const QString& label, const BuildRun& run) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setWorkingDirectory(fileSystemPath(run.outputBuildDir));
  process.setProcessEnvironment(environment);
  platform::ChildRegistration registration;
  process.start(fileSystemPath(program), arguments, QIODevice::ReadWrite);
  registration.started(process.processId());
  pumpProcessOutput(process, registration, label);
  registration.collected();

  // A tool that never ran or died has no exit code worth the name: it failed all the same.
  const bool ran = process.error() != QProcess::FailedToStart && process.exitStatus() == QProcess::NormalExit;
  const int exitCode = ran ? process.exitCode() : -1;
  if (ran && exitCode == 0) return true;
  if (!ran) {
    VLOG_ERROR(kName) << "Failed to run '" << program << "': " << process.errorString() << ". Task ID: " << getId();
  }
  VLOG_ERROR(kName) << "Failed to build. Exit code: " << exitCode << ". Project name: '" << run.projectName
                    << "'. Output: '" << run.output << "'. Task ID: " << getId();
  return false;
}

void TaskBuildQmake::pumpProcessOutput(QProcess& process, platform::ChildRegistration& registration,
                                       const QString& label) {
  // Closed input: a tool that reads it ends instead of waiting for ever.
  if (process.waitForStarted(kStartTimeoutMs)) {
    registration.confirmed();
    process.closeWriteChannel();
  }
  const QString start = banner("START", getId(), label);
  const QString end = banner("END", getId(), label);
  // One decoder for the whole run: a character split between two reads stays whole.
  const std::unique_ptr<QTextDecoder> decoder(QTextCodec::codecForName("UTF-8")->makeDecoder());
  // Output is passed on as it arrives, so that a talkative tool's output never piles up
  // in the process object; what one step of kFinishWaitMs brings stands between one pair
  // of banners, as if it had been read at once.
  QElapsedTimer step;
  bool inStep = false;
  const auto pass = [&] {
    while (process.bytesAvailable() > 0) {
      const QString text = decoder->toUnicode(process.read(kChunkBytes));
      if (text.isEmpty()) continue;
      if (!inStep) {
        logger::makeRawLogClient(logger::LogManager::instance()) << start;
        inStep = true;
        step.start();
      }
      logger::makeRawLogClient(logger::LogManager::instance()) << text;
    }
  };
  const auto endStep = [&] {
    if (inStep) logger::makeRawLogClient(logger::LogManager::instance()) << end;
    inStep = false;
  };
  while (process.state() != QProcess::NotRunning) {
    const int wait = inStep ? static_cast<int>(qMax<qint64>(0, kFinishWaitMs - step.elapsed())) : kFinishWaitMs;
    // Returns with the first output that arrives, or when the tool ends.
    if (process.bytesAvailable() > 0 || process.waitForReadyRead(wait)) pass();
    if (inStep && step.elapsed() >= kFinishWaitMs) endStep();
  }
  pass();
  endStep();
}

int TaskBuildQmake::copyOutputs(const BuildRun& run, IVariablesExpander* expander, IVariablesGetter* getter,
                                IConditionHandler* handler) {
  std::vector<FileSetInfo> fileSets = getFileSets();
  if (fileSets.empty()) {
    fileSets = run.project->getOutputs();
    setFileSets(fileSets);
  }
  // "." means the build directory of this start, in a working copy: another start may
  // build elsewhere.
  FileSetSubdirs subdirs;
  for (FileSetInfo& set : fileSets) {
    if (set.dir.isEmpty() || set.dir == QLatin1String(".")) set.dir = run.outputBuildDir;
    if (set.id.isEmpty()) continue;
    const QString subdir = getFileSetOutSubdir(run.projectName, expander, getter, set.id);
    VLOG_CAT(logger::LogInfo, logger::FilterTaskBuild, kName)
        << logBlock(QStringLiteral("File set subdirectory info. "),
                    {{"Project name", run.projectName},
                     {"Output directory", run.output},
                     {"File set directory", set.dir},
                     {"File set ID", set.id},
                     {"File set subdirectory", subdir}},
                    getId());
    subdirs[set.id] = subdir;
  }
  return copyFiles(fileSets, run.output, run.rootDir, run.configuration, expander, handler, subdirs,
                   interruptFlag());
}
