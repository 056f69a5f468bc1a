#include "manager/build_manager.h"

#include "core/account_queries.h"
#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/properties_file.h"
#include "core/result_codes.h"
#include "core/run_variables.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "manager/result_codes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMutexLocker>

using namespace manager_codes;
namespace rv = run_variables;

namespace {

// Taken before main runs, so the time variables stay the same for the whole run.
const QDateTime kStartTime = QDateTime::currentDateTime();

QString versionBuildNumber(const QDateTime& time) {
  if (!time.isValid()) return QString();
  const QDate date = time.date();
  return QString::number(date.month()) + QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
}

}  // namespace

int BuildManager::init() {
  {
    QMutexLocker lock(&settingsMutex_);
    stopOnError_ = true;
    propertiesFilePath_.clear();
    scanDirectory_.clear();
    jobFilePath_.clear();
    initResult_ = kOk;
  }
  (void)initGlobalVariables();  // infallible
  QString path = getDefaultPropertiesFilePath();
  if (!fileExists(path)) {
    path = getBasePropertiesFilePath();
    if (!fileExists(path)) return kOk;
  }
  const int code = loadPropertyFile(path);
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[Init] Failed to load property file. Error: " << code;
    QMutexLocker lock(&settingsMutex_);
    initResult_ = code;
    return code;
  }
  return kOk;
}

int BuildManager::initResult() {
  QMutexLocker lock(&settingsMutex_);
  return initResult_;
}

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
    VLOG_ERROR(kLogTag) << "Failed to get user information. Error: " << userCode << ".";
    user.clear();
    domain.clear();
    sid.clear();
  }

  VariableFlags readOnly;
  readOnly.readOnly = true;
  VariableFlags writable;
  struct Builtin {
    QLatin1String name;
    QString value;
    enum { ReadOnly, Plain, Writable } kind;
  };
  const QString on = QStringLiteral("1");
  const Builtin builtins[] = {
      {rv::kSymbolCr, QStringLiteral("\r"), Builtin::ReadOnly},
      {rv::kSymbolLf, QStringLiteral("\n"), Builtin::ReadOnly},
      {rv::kSymbolCrLf, QStringLiteral("\r\n"), Builtin::ReadOnly},
      {rv::kSymbolQuote, QStringLiteral("\""), Builtin::ReadOnly},
      {rv::kSymbolSingleQuote, QStringLiteral("'"), Builtin::ReadOnly},
      {rv::kSymbolLeftAngleBracket, QStringLiteral("<"), Builtin::ReadOnly},
      {rv::kSymbolRightAngleBracket, QStringLiteral(">"), Builtin::ReadOnly},
      {rv::kInterruptTasksOnError, trueString(), Builtin::Plain},
      {rv::kInterruptTasks, falseString(), Builtin::Plain},
      {rv::kPlaySoundWhenComplete, trueString(), Builtin::Plain},
      {rv::kShowMessageWhenComplete, trueString(), Builtin::Plain},
      // Digits only, so the C locale gives the same text without building the system one.
      {rv::kCurrentTime, QLocale::c().toString(kStartTime, QStringLiteral("MM/dd/yyyy hh:mm:ss")),
       Builtin::ReadOnly},
      {rv::kVersionBuildNumber, versionBuildNumber(kStartTime), Builtin::ReadOnly},
      {rv::kComputerName, computer, Builtin::ReadOnly},
      {rv::kUserName, user, Builtin::ReadOnly},
      {rv::kDomainName, domain, Builtin::ReadOnly},
      {rv::kUserSid, sid, Builtin::ReadOnly},
      {rv::kThisFile, QCoreApplication::applicationFilePath(), Builtin::ReadOnly},
      {rv::kThisDir, getApplicationDirectory(), Builtin::ReadOnly},
      {rv::kHomeDir, getHomeDirectory(), Builtin::ReadOnly},
      {rv::kLogLevel, QStringLiteral("6"), Builtin::Writable},
      {rv::kLogFilterTaskManager, on, Builtin::Writable},
      {rv::kLogFilterTaskDetails, on, Builtin::Writable},
      {rv::kLogFilterTaskBuild, on, Builtin::Writable},
      {rv::kLogFilterTaskCopy, on, Builtin::Writable},
      {rv::kLogFilterCopyFiles, on, Builtin::Writable},
  };
  // A store that is refused (a read-only entry set before) leaves the value it has.
  for (const Builtin& b : builtins) {
    switch (b.kind) {
      case Builtin::ReadOnly: (void)globalVariables_.set(b.name, b.value, readOnly); break;  // kept
      case Builtin::Plain: (void)globalVariables_.set(b.name, b.value); break;               // kept
      case Builtin::Writable: (void)globalVariables_.set(b.name, b.value, writable); break;  // kept
    }
  }
  (void)copyVariables(projectVariables_, &globalVariables_, true);  // kept
  return kOk;
}

int BuildManager::loadPropertyFile(const QString& path) {
  PropertiesFile file;
  file.setRegularFilesOnly(false);  // the driver's own files, which may be pipes
  const int code = file.load(path, &globalVariables_, &globalVariables_, true, QString());
  if (code != kOk) {
    VLOG_ERROR(kLogTag) << "[PropertyFile] Failed to load property file: '" << path << "'. Res: " << code;
    return code;
  }
  (void)copyVariables(projectVariables_, &globalVariables_, true);  // kept
  VLOG_INFO(kLogTag) << "[PropertyFile] Property file: '" << path << "' was loaded successfully.";
  return kOk;
}

int BuildManager::loadExtraPropertyFile() {
  QString path = propertiesFilePath();
  if (path.isEmpty()) return kOk;
  if (expandVariablesChecked(projectsExpander(), path) != kOk) return core_codes::kTextTooLong;
  stripQuotes(path, true);
  path = makeAbsolutePath(getApplicationDirectory(), path);
  if (!fileExists(path)) {
    VLOG_WARNING(kLogTag) << "[Start] Properties-file is not found. Path: " << path;
    return kOk;
  }
  if (samePath(path, getDefaultPropertiesFilePath()) || samePath(path, getBasePropertiesFilePath())) return kOk;
  return loadPropertyFile(path);
}
