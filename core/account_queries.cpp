#include "core/account_queries.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "platform/account.h"

#include <QStandardPaths>

std::wstring getComputerNameNative() { return platform::hostName().toStdWString(); }

QString getComputerName() { return QString::fromStdWString(getComputerNameNative()); }

QString getHomeDirectory() { return QStandardPaths::writableLocation(QStandardPaths::HomeLocation); }

unsigned getProcessUserOf(unsigned uid, std::wstring& user, std::wstring& domain, std::wstring& sid) {
  sid = (QStringLiteral("S-1-22-1-") + QString::number(uid)).toStdWString();
  QString name;
  const int rc = platform::userName(uid, name);
  if (rc != 0) return static_cast<unsigned>(rc);
  user = name.toStdWString();
  domain = getComputerNameNative();
  return 0;
}

unsigned getProcessUser(std::wstring& user, std::wstring& domain, std::wstring& sid) {
  return getProcessUserOf(platform::effectiveUserId(), user, domain, sid);
}

int getUserInformationOf(unsigned uid, QString& user, QString& domain, QString& sid) {
  std::wstring nativeUser, nativeDomain, nativeSid;
  const unsigned rc = getProcessUserOf(uid, nativeUser, nativeDomain, nativeSid);
  if (rc != 0) {
    VLOG_ERROR("System") << "Failed to call 'getProcessUser'. Native error: " << rc;
    return core_codes::kSystemCallFailed;
  }
  user = QString::fromStdWString(nativeUser);
  domain = QString::fromStdWString(nativeDomain);
  sid = QString::fromStdWString(nativeSid);
  return 0;
}

int getUserInformation(QString& user, QString& domain, QString& sid) {
  return getUserInformationOf(platform::effectiveUserId(), user, domain, sid);
}
