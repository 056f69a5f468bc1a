#include "manager/build_manager.h"

#include "core/account_queries.h"
#include "core/file_utils.h"
#include "core/logger.h"
#include "core/run_variables.h"
#include "core/path_utils.h"
#include "core/properties_file.h"
#include "core/text_helpers.h"
#include "platform/message_box.h"
#include "tasks/task_runner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutexLocker>

#include <algorithm>
#include <utility>

namespace {

const QLatin1String kTag("Mgr");

// Taken before main runs, so the time variables stay the same for the whole run.
const QDateTime kStartTime = QDateTime::currentDateTime();

using run_variables::kInterruptTasks;
using run_variables::kInterruptTasksOnError;
using run_variables::kLogLevel;
const QLatin1String kPlaySound = run_variables::kPlaySoundWhenComplete;
const QLatin1String kShowMessage = run_variables::kShowMessageWhenComplete;
const QLatin1String kProjectNames("projectNames");
const QLatin1String kBoxCaption("BUILD SYSTEM");

struct LevelWord {
  const char* word;
  int level;
};

const LevelWord kLevelWords[] = {
    {"off", logger::LogOff},         {"fatal", logger::LogFatal},     {"error", logger::LogError},
    {"warning", logger::LogWarning}, {"warn", logger::LogWarning},    {"info", logger::LogInfo},
    {"information", logger::LogInfo}, {"debug", logger::LogDebug},    {"trace", logger::LogTrace},
};

struct FilterVariable {
  const char* name;
  std::uint64_t bit;
};

const FilterVariable kFilterVariables[] = {
    {"log.filter.copy.files", logger::FilterCopyFiles},
    {"log.filter.task.manager", logger::FilterTaskManager},
    {"log.filter.task.details", logger::FilterTaskDetails},
    {"log.filter.task.build", logger::FilterTaskBuild},
    {"log.filter.task.copy", logger::FilterTaskCopy},
};

// The options of a -build group that take one value, and the property each fills.
struct GroupOption {
  const char* option;
  const char* property;
};

const GroupOption kGroupOptions[] = {
    {"output", "output"},
    {"config", "configuration"},
    {"target", "target"},
    {"platform", "platform"},
};

bool levelOf(const QString& value, int& level) {
  for (const LevelWord& w : kLevelWords) {
    if (value.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0) {
      level = w.level;
      return true;
    }
  }
  bool ok = false;
  const int number = value.toInt(&ok, 10);
  if (!ok || number > logger::LogTrace) return false;
  level = number;
  return true;
}

QString versionBuildNumber(const QDateTime& time) {
  if (!time.isValid()) return QString();
  const QDate date = time.date();
  return QString::number(date.month()) + QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
}

void unquoteAll(QString& path) {
  bool changed = true;
  while (changed) {
    changed = unquoteDoubleQuotes(path, true);
    changed = unquoteSingleQuotes(path, true) || changed;
  }
}

template <typename T>
void removeFirst(QMutex& mutex, std::vector<std::shared_ptr<T>>& list, const T* item) {
  std::shared_ptr<T> released;  // dropped after the unlock: its destructor may call back
  QMutexLocker lock(&mutex);
  auto it = std::find_if(list.begin(), list.end(), [item](const std::shared_ptr<T>& p) { return p.get() == item; });
  if (it == list.end()) return;
  released = std::move(*it);
  list.erase(it);
}

}  // namespace

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
  VLOG_TRACE(kTag) << "Start";
}

BuildManager::~BuildManager() { VLOG_TRACE(kTag) << "Finish"; }

// ---- run lifecycle -------------------------------------------------------------------

int BuildManager::init() {
  {
    QMutexLocker lock(&settingsMutex_);
    stopOnError_ = true;
    propertiesFilePath_.clear();
    scanDirectory_.clear();
    jobFilePath_.clear();
  }
  initGlobalVariables();
  QString path = getDefaultPropertiesFilePath();
  if (!fileExists(path)) {
    path = getBasePropertiesFilePath();
    if (!fileExists(path)) return 0;
  }
  const int code = loadPropertyFile(path);
  if (code != 0) {
    VLOG_ERROR(kTag) << "[Init] Failed to load property file. Error: " << code;
    return code;
  }
  return 0;
}

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

  int code = parseCommandLine(argc, argv);
  if (code != 0) {
    VLOG_ERROR(kTag) << "[Start] Failed to parse command line. Error: " << code;
    return finish(code);
  }
  code = loadExtraPropertyFile();
  if (code != 0) {
    VLOG_ERROR(kTag) << "[Start] Failed to load variables from property file. Error: " << code;
    return finish(code);
  }
  code = loadJob();
  if (code != 0) {
    VLOG_ERROR(kTag) << "[Start] Failed to load jobs. Error: " << code;
    return finish(code);
  }
  code = performTasks();
  if (code != 0) VLOG_ERROR(kTag) << "[Start] Failed to process tasks. Error: " << code;
  return finish(code);
}

int BuildManager::loadExtraPropertyFile() {
  QString path = propertiesFilePath();
  if (path.isEmpty()) return 0;
  projectsExpander()->expand(path);
  unquoteAll(path);
  path = makeAbsolutePath(getApplicationDirectory(), path);
  if (!fileExists(path)) {
    VLOG_WARNING(kTag) << "[Start] Properties-file is not found. Path: " << path;
    return 0;
  }
  if (samePath(path, getDefaultPropertiesFilePath()) || samePath(path, getBasePropertiesFilePath())) return 0;
  return loadPropertyFile(path);
}

void BuildManager::setRunning(bool running) {
  QMutexLocker lock(&runningMutex_);
  running_ = running ? 1 : 0;
}

bool BuildManager::isRunning() {
  QMutexLocker lock(&runningMutex_);
  return running_ != 0;
}

// ---- command line --------------------------------------------------------------------

void BuildManager::setRunPath(QString BuildManager::*field, const QString& path) {
  QMutexLocker lock(&settingsMutex_);
  this->*field = path;
}

int BuildManager::parseCommandLine(int argc, char** argv) {
  {
    QMutexLocker lock(&cmdTasksMutex_);
    cmdTasks_.clear();
  }
  {
    QMutexLocker lock(&rootTasksMutex_);
    rootTasks_.clear();
  }
  if (!argv || argc < 1) return 0;
  VLOG_TRACE(kTag) << "[Command line parsing] Argc: " << argc;
  for (int i = 0; i < argc; ++i)
    VLOG_TRACE(kTag) << "[Command line parsing] Arg " << (i + 1) << ": " << QString::fromUtf8(argv[i] ? argv[i] : "");
  if (argc < 2) return 0;

  bool groupOpen = false;
  PropertiesMgrUnsafe group;
  auto closeGroup = [&] {
    if (!groupOpen) return;
    CmdTaskEntry entry;
    entry.properties.copyFrom(&group, true);
    group.clear();
    QMutexLocker lock(&cmdTasksMutex_);
    cmdTasks_.push_back(std::move(entry));
  };
  auto hasValue = [&](int i) { return i + 1 < argc && argv[i + 1] && !isOption(argv[i + 1]); };

  struct PathOption {
    const char* option;
    QString BuildManager::*field;
    bool directoryOfFile;
  };
  const PathOption pathOptions[] = {
      {"pmanifest", &BuildManager::scanDirectory_, true},
      {"properties", &BuildManager::propertiesFilePath_, false},
      {"job", &BuildManager::jobFilePath_, false},
  };

  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg || !isOption(arg)) continue;
    if (isOptionNamed(arg, "build")) {
      closeGroup();
      groupOpen = true;
      while (hasValue(i)) {
        std::vector<QString> names;
        group.getStringList(kProjectNames, names);
        names.push_back(QString::fromUtf8(argv[++i]));
        group.setStringList(kProjectNames, names);
      }
      continue;
    }
    bool handled = false;
    for (const GroupOption& o : kGroupOptions) {
      if (!isOptionNamed(arg, o.option)) continue;
      handled = true;
      if (hasValue(i)) {
        const QString value = QString::fromUtf8(argv[++i]);
        if (groupOpen) group.setString(QLatin1String(o.property), value);
      }
      break;
    }
    if (handled) continue;
    for (const PathOption& o : pathOptions) {
      if (!isOptionNamed(arg, o.option)) continue;
      if (hasValue(i)) {
        QString path = QString::fromUtf8(argv[++i]);
        tasksExpander()->expand(path);
        path = makeAbsolutePath(getApplicationDirectory(), path);
        setRunPath(o.field, o.directoryOfFile ? absoluteDirPath(path) : path);
      }
      break;
    }
  }
  closeGroup();
  return 0;
}

// ---- built-in variables and property files -------------------------------------------

QString BuildManager::getApplicationDirectory() { return QCoreApplication::applicationDirPath(); }

QString BuildManager::getDefaultPropertiesFilePath() {
  QString path = getApplicationDirectory();
  return combinePath(path, QStringLiteral("varkel.properties"));
}

QString BuildManager::getBasePropertiesFilePath() {
  QString path = getApplicationDirectory();
  return combinePath(path, QStringLiteral("varkel.properties.base"));
}

int BuildManager::initGlobalVariables() {
  const QString computer = getComputerName();
  QString user, domain, sid;
  const int userCode = getUserInformation(user, domain, sid);
  if (userCode != 0) {
    VLOG_ERROR(kTag) << "Failed to get user information. Error: " << userCode << ".";
    user.clear();
    domain.clear();
    sid.clear();
  }

  VariableFlags readOnly;
  readOnly.readOnly = true;
  VariableFlags writable;
  struct Builtin {
    const char* name;
    QString value;
    enum { ReadOnly, Plain, Writable } kind;
  };
  const Builtin builtins[] = {
      {"symbol.cr", QStringLiteral("\r"), Builtin::ReadOnly},
      {"symbol.lf", QStringLiteral("\n"), Builtin::ReadOnly},
      {"symbol.crlf", QStringLiteral("\r\n"), Builtin::ReadOnly},
      {"symbol.quote", QStringLiteral("\""), Builtin::ReadOnly},
      {"symbol.squote", QStringLiteral("'"), Builtin::ReadOnly},
      {"symbol.left.angle.bracket", QStringLiteral("<"), Builtin::ReadOnly},
      {"symbol.right.angle.bracket", QStringLiteral(">"), Builtin::ReadOnly},
      {"interrupt.tasks.on.error", trueString(), Builtin::Plain},
      {"interrupt.tasks", falseString(), Builtin::Plain},
      {"play.sound.when.complete", trueString(), Builtin::Plain},
      {"show.message.when.complete", trueString(), Builtin::Plain},
      {"current.time", kStartTime.toString(QStringLiteral("MM/dd/yyyy hh:mm:ss")), Builtin::ReadOnly},
      {"version.build.number", versionBuildNumber(kStartTime), Builtin::ReadOnly},
      {"this.computer.name", computer, Builtin::ReadOnly},
      {"this.user.name", user, Builtin::ReadOnly},
      {"this.domain.name", domain, Builtin::ReadOnly},
      {"this.user.sid", sid, Builtin::ReadOnly},
      {"this.file", QCoreApplication::applicationFilePath(), Builtin::ReadOnly},
      {"this.dir", getApplicationDirectory(), Builtin::ReadOnly},
      {"home.dir", getHomeDirectory(), Builtin::ReadOnly},
      {"log.level", QStringLiteral("6"), Builtin::Writable},
      {"log.filter.task.manager", QStringLiteral("1"), Builtin::Writable},
      {"log.filter.task.details", QStringLiteral("1"), Builtin::Writable},
      {"log.filter.task.build", QStringLiteral("1"), Builtin::Writable},
      {"log.filter.task.copy", QStringLiteral("1"), Builtin::Writable},
      {"log.filter.copy.files", QStringLiteral("1"), Builtin::Writable},
  };
  for (const Builtin& b : builtins) {
    const QString name = QLatin1String(b.name);
    switch (b.kind) {
      case Builtin::ReadOnly: globalVariables_.set(name, b.value, readOnly); break;
      case Builtin::Plain: globalVariables_.set(name, b.value); break;
      case Builtin::Writable: globalVariables_.set(name, b.value, writable); break;
    }
  }
  copyVariables(projectVariables_, &globalVariables_, true);
  return 0;
}

int BuildManager::loadPropertyFile(const QString& path) {
  PropertiesFile file;
  file.setRegularFilesOnly(false);  // the driver's own files, which may be pipes
  const int code = file.load(path, &globalVariables_, &globalVariables_, true, QString());
  if (code != 0) {
    VLOG_ERROR(kTag) << "[PropertyFile] Failed to load property file: '" << path << "'. Res: " << code;
    return code;
  }
  copyVariables(projectVariables_, &globalVariables_, true);
  VLOG_INFO(kTag) << "[PropertyFile] Property file: '" << path << "' was loaded successfully.";
  return 0;
}

// ---- log-control variables -----------------------------------------------------------

bool BuildManager::onVariableSet(const QString& name, const QString& value, QString&) {
  if (name.isEmpty() || value.isEmpty()) return false;
  logger::LogManager* log = logger::LogManager::instance();
  if (name.compare(kLogLevel, Qt::CaseInsensitive) == 0) {
    int level = 0;
    if (!levelOf(value, level)) return false;
    log->setLevel(level);
    if (level >= logger::LogInfo) VLOG_INFO(kTag) << "Logger level was changed to '" << level << "'.";
    return false;
  }
  for (const FilterVariable& f : kFilterVariables) {
    if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) != 0) continue;
    if (isTrue(value))
      log->setFilter(f.bit);
    else if (isFalse(value))
      log->clearFilter(f.bit);
    break;
  }
  return false;
}

// ---- job loading, holder and providers -----------------------------------------------

int BuildManager::loadJob() {
  const QString path = jobFilePath();
  if (path.isEmpty()) {
    VLOG_INFO(kTag) << "[LoadJob] 'Job' file not defined.";
    jobParser_.stop();
    return 0;
  }
  if (!fileExists(path)) {
    VLOG_ERROR(kTag) << "'Job' file not found. File: '" << path << "'.";
    jobParser_.stop();
    // A job that was asked for and is missing must not pass for a successful run.
    return kJobNotFound;
  }
  const int code = jobParser_.parseFile(path, true, QString(), QString());
  if (code != 0) VLOG_ERROR(kTag) << "[LoadJob] Failed to parse file: '" << path << "'.";
  jobParser_.stop();
  return code;
}

int BuildManager::addTask(ITask* task) {
  if (!task) return 0;
  std::shared_ptr<ITask> owner = shareTask(task);
  QMutexLocker lock(&rootTasksMutex_);
  rootTasks_.push_back(std::move(owner));
  return 0;
}

int BuildManager::removeTask(ITask* task) {
  if (task) removeFirst(rootTasksMutex_, rootTasks_, task);
  return 0;
}

int BuildManager::addMacrodef(IMacrodef* macrodef) {
  if (!macrodef) return 0;
  std::shared_ptr<IMacrodef> owner(macrodef);
  macrodef->setId(static_cast<std::uint64_t>(macrodefIds_.nextId()));
  QMutexLocker lock(&macrodefsMutex_);
  macrodefs_.push_back(std::move(owner));
  macrodefsByName_.emplace(macrodef->getName(), macrodef);
  return 0;
}

int BuildManager::removeMacrodef(IMacrodef* macrodef) {
  if (!macrodef) return 0;
  {
    QMutexLocker lock(&macrodefsMutex_);
    auto it = macrodefsByName_.find(macrodef->getName());
    if (it != macrodefsByName_.end() && it->second == macrodef) {
      const QString name = it->first;
      macrodefsByName_.erase(it);
      for (const std::shared_ptr<IMacrodef>& m : macrodefs_) {
        if (m.get() != macrodef && m->getName().compare(name, Qt::CaseInsensitive) == 0) {
          macrodefsByName_.emplace(m->getName(), m.get());
          break;
        }
      }
    }
  }
  removeFirst(macrodefsMutex_, macrodefs_, macrodef);
  return 0;
}

int BuildManager::createParser(const QString& elementName, XmlTaskParser** out) {
  return xmlTaskFactory_.createParser(elementName, out);
}

bool BuildManager::contains(const QString& name) { return find(name) != nullptr; }

IMacrodef* BuildManager::find(const QString& name) {
  QMutexLocker lock(&macrodefsMutex_);
  const auto it = macrodefsByName_.find(name);
  return it != macrodefsByName_.end() ? it->second : nullptr;
}

bool BuildManager::exists(const QString& name) {
  QMutexLocker lock(&projectsMutex_);
  return projects_.count(name) != 0;
}

IProject* BuildManager::getProject(const QString& name) {
  QMutexLocker lock(&projectsMutex_);
  auto it = projects_.find(name);
  return it == projects_.end() ? nullptr : it->second.get();
}

int BuildManager::count() {
  QMutexLocker lock(&projectsMutex_);
  return static_cast<int>(projects_.size());
}

IProject* BuildManager::getProjectAt(int index) {
  QMutexLocker lock(&projectsMutex_);
  if (index < 0 || index >= static_cast<int>(projects_.size())) return nullptr;
  return std::next(projects_.begin(), index)->second.get();
}

int BuildManager::prepareProjectTask(const QString&, ITask*) { return 0; }

// ---- conditions ----------------------------------------------------------------------

int BuildManager::evaluateCondition(const QString& text, bool& result) {
  if (text.isEmpty()) {
    result = true;
    return 0;
  }
  QString value;
  const int code = interpreter_.evaluate(text, &value);
  if (code == 0) result = isTrue(value);
  return code;
}

int BuildManager::calculate(const QString& text, QString& result) {
  if (text.isEmpty()) {
    result.clear();
    return 0;
  }
  return interpreter_.evaluate(text, &result);
}

// ---- root-task loop, notifications, finish -------------------------------------------

int BuildManager::performTasks() {
  std::vector<std::shared_ptr<ITask>> tasks = rootTasks();
  bool stop = stopOnError();
  QString value;
  if (globalVariables_.get(kInterruptTasksOnError, value) == 0) {
    if (isTrue(value))
      stop = true;
    else if (isFalse(value))
      stop = false;
    QMutexLocker lock(&settingsMutex_);
    stopOnError_ = stop;
  }
  VLOG_INFO(kTag) << "[PerformTasks] Number of tasks (root tasks) to process: " << tasks.size();

  int result = 0;
  for (const std::shared_ptr<ITask>& task : tasks) {
    if (finishState() != FinishNone) break;
    if (!task->isEnabled()) {
      VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kTag)
          << "[PerformTasks] Task is disabled. Task name: " << task->getName() << ". Task ID: " << task->getId();
      continue;
    }
    if (task->isProcessed()) {
      VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kTag)
          << "[PerformTasks] Task already processed. Task name: " << task->getName()
          << ". Task ID: " << task->getId();
      continue;
    }
    VLOG_CAT(logger::LogInfo, logger::FilterTaskManager, kTag)
        << "[PerformTasks] Try to start the task. Task name: " << task->getName() << ". Task ID: " << task->getId()
        << ". Task type: " << task->getType();
    result = startRootTask(task.get());
    if (result != 0 && stop) {
      VLOG_ERROR(kTag) << "[PerformTasks] Task failed. Tasks processing will be stopped. Task name: "
                       << task->getName() << ". Task ID: " << task->getId() << ". Task type: " << task->getType();
      break;
    }
  }
  return result;
}

int BuildManager::startRootTask(ITask* task) {
  if (!task) return 3;
  return startTask(kTag, task, tasksExpander(), &globalVariables_, &globalVariables_, this, this, this);
}

int BuildManager::sendMessage(int code, const QString& text) {
  switch (code) {
    case kMessage:
      VLOG_INFO(kTag) << "[SendMessage] Message was received: " << text;
      break;
    case kInterrupt:
    case kInterruptWithError: {
      {
        QMutexLocker lock(&finishMutex_);
        finishState_ = code == kInterrupt ? FinishInterrupted : FinishInterruptedWithError;
        finishMessage_ = text;
      }
      globalVariables_.set(kInterruptTasks, trueString());
      if (code == kInterrupt)
        VLOG_INFO(kTag) << "[SendMessage] All tasks will be interrupted.";
      else
        VLOG_INFO(kTag) << "[SendMessage] All tasks will be interrupted (with error).";
      break;
    }
    default:
      break;
  }
  return 0;
}

int BuildManager::finish(int result) {
  setRunning(false);
  QString value;
  const bool showMessage = globalVariables_.get(kShowMessage, value) == 0 && isTrue(value);
  const bool playSound = globalVariables_.get(kPlaySound, value) == 0 && isTrue(value);
  int state;
  QString message;
  {
    QMutexLocker lock(&finishMutex_);
    state = finishState_;
    message = finishMessage_;
  }
  // An error interruption whose tasks all returned 0 must still read as a failure.
  if (state == FinishInterruptedWithError && result == 0) result = kInterrupted;

  VLOG_TRACE(kTag) << "Finish. Show message: " << (showMessage ? 1 : 0) << ". Play sound: " << (playSound ? 1 : 0)
                   << ". Result: " << result;
  if (state == FinishInterrupted)
    VLOG_WARNING(kTag) << "Finish. Execution of the tasks has been interrupted. Message: " << message;
  else if (state == FinishInterruptedWithError)
    VLOG_ERROR(kTag) << "Finish. Execution of the tasks has been interrupted due to an error! Error message: "
                     << message;

  const bool failed = result != 0 || state == FinishInterruptedWithError;
  if (playSound) failed ? playErrorSound() : playSuccessSound();
  if (showMessage && failed) {
    QString text = QStringLiteral("An error occurred while performing tasks.\r\nError: ") + QString::number(result) +
                   QStringLiteral(".\r\n");
    if (state == FinishInterruptedWithError) {
      text += QStringLiteral("\r\nExecution of the tasks has been interrupted due to an error!");
      if (!message.isEmpty()) text += QStringLiteral("\r\n\r\n") + message;
      text += QStringLiteral("\r\n");
    }
    platform::showMessageBox(platform::BoxError, kBoxCaption, text);
  }
  return result;
}

// ---- state readers -------------------------------------------------------------------

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
