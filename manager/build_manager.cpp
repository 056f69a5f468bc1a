#include "manager/build_manager.h"

#include "core/logger.h"
#include "manager/result_codes.h"

#include <QMutexLocker>

using namespace manager_codes;

BuildManager::BuildManager() {
  // Both stores are read through "${}", where a value naming itself never expands to an end.
  globalVariables_.setRefuseSelfReference(true);
  projectVariables_.setRefuseSelfReference(true);
  taskFactory_.setIdProvider(&taskIds_);

  xmlTaskFactory_.setTaskFactory(&taskFactory_);
  xmlTaskFactory_.setVariablesGetter(&globalVariables_);
  xmlTaskFactory_.setVariablesSetter(&globalVariables_);
  xmlTaskFactory_.setProjectsProvider(this);
  xmlTaskFactory_.setMacrodefProvider(this);
  xmlTaskFactory_.setNotifications(this);
  xmlTaskFactory_.setProjectPreprocessor(this);

  // The walker reads the project store only; the reader of solutions also keeps the
  // variables that 'build rules' files define.
  rulesEnum_.setVariablesGetter(&projectVariables_);
  projectParser_.setVariablesGetter(&projectVariables_);
  projectParser_.setVariablesSetter(&projectVariables_);

  // The command line's job file may be a pipe; the files it includes may not.
  jobParser_.setRegularFilesOnly(false);
  jobParser_.setVariablesGetter(&globalVariables_);
  jobParser_.setVariablesSetter(&globalVariables_);
  jobParser_.setProjectsProvider(this);
  jobParser_.setMacrodefProvider(this);
  jobParser_.setTaskParserFactory(this);
  jobParser_.setTaskFactory(&taskFactory_);
  jobParser_.setTaskHolder(this);

  interpreter_.init(tasksExpander(), &globalVariables_, this);

  projectVariables_.setTrigger(this);
  globalVariables_.setTrigger(this);

  setRunning(false);
  VLOG_TRACE(kLogTag) << "Start";
}

BuildManager::~BuildManager() { VLOG_TRACE(kLogTag) << "Finish"; }

int BuildManager::start(int argc, char** argv) {
  {
    QMutexLocker lock(&runningMutex_);
    if (running_) return kAlreadyRunning;
    running_ = 1;
  }
  {
    QMutexLocker lock(&finishMutex_);
    finishState_ = FinishNone;
    finishMessage_.clear();
  }
  {
    QMutexLocker lock(&cmdTasksMutex_);
    cmdTasks_.clear();
  }
  {
    QMutexLocker lock(&rootTasksMutex_);
    rootTasks_.clear();
  }

  // A default property file that failed leaves the run with half its settings.
  int code = initResult();
  if (code != kOk) return finish(code);  // logged where it failed
  code = parseCommandLine(argc, argv);
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Start] Failed to parse command line. Error: " << code;
    return finish(code);
  }
  code = loadExtraPropertyFile();
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Start] Failed to load variables from property file. Error: " << code;
    return finish(code);
  }
  code = loadJob();
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Start] Failed to load jobs. Error: " << code;
    return finish(code);
  }
  code = scan();
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Start] Failed to load projects. Error: " << code;
    return finish(code);
  }
  code = prepareCmdTasks();
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Start] Failed to prepare 'cmd' tasks. Error: " << code;
    return finish(code);
  }
  code = performTasks();
  if (code != kOk) VLOG_ERROR(kLogTag) << "[Start] Failed to process tasks. Error: " << code;
  return finish(code);
}

void BuildManager::setRunning(bool running) {
  QMutexLocker lock(&runningMutex_);
  running_ = running ? 1 : 0;
}

bool BuildManager::isRunning() {
  QMutexLocker lock(&runningMutex_);
  return running_ != 0;
}

std::vector<CmdTaskEntry> BuildManager::cmdTasks() {
  QMutexLocker lock(&cmdTasksMutex_);
  return cmdTasks_;
}

std::vector<std::shared_ptr<ITask>> BuildManager::rootTasks() {
  QMutexLocker lock(&rootTasksMutex_);
  return rootTasks_;
}

QString BuildManager::jobFilePath() {
  QMutexLocker lock(&settingsMutex_);
  return jobFilePath_;
}

QString BuildManager::propertiesFilePath() {
  QMutexLocker lock(&settingsMutex_);
  return propertiesFilePath_;
}

QString BuildManager::scanDirectory() {
  QMutexLocker lock(&settingsMutex_);
  return scanDirectory_;
}

bool BuildManager::stopOnError() {
  QMutexLocker lock(&settingsMutex_);
  return stopOnError_;
}

int BuildManager::finishState() {
  QMutexLocker lock(&finishMutex_);
  return finishState_;
}
