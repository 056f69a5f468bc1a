#include "core/account_queries.h"
#include "test_support.h"

#include <QDir>
#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

using testing_support::ScopedLogCapture;

namespace {

// A user id that no user database holds.
const unsigned kNoSuchUser = 4000000000u;

QString runId(const QString& option) {
  QProcess id;
  id.start(QStringLiteral("id"), {option});
  if (!id.waitForFinished(10000)) return QString();
  return QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed();
}

TEST(AccountQueriesTest, ComputerNameIsTheWholeHostName) {
  EXPECT_EQ(QSysInfo::machineHostName(), getComputerName());
  EXPECT_FALSE(getComputerName().isEmpty());
  EXPECT_EQ(getComputerName().toStdWString(), getComputerNameNative());
  EXPECT_EQ(QDir::homePath(), getHomeDirectory());
}

TEST(AccountQueriesTest, EffectiveUserWithDomainAndSid) {
  ScopedLogCapture capture;
  QString user, domain, sid;
  ASSERT_EQ(0, getUserInformation(user, domain, sid));
  EXPECT_EQ(runId("-un"), user);
  EXPECT_EQ(getComputerName(), domain);
  EXPECT_EQ("S-1-22-1-" + runId("-u"), sid);
  EXPECT_TRUE(capture.log().entries.empty());

  std::wstring nativeUser, nativeDomain, nativeSid;
  EXPECT_EQ(0u, getProcessUser(nativeUser, nativeDomain, nativeSid));
  EXPECT_EQ(user.toStdWString(), nativeUser);
  EXPECT_EQ(sid.toStdWString(), nativeSid);
}

TEST(AccountQueriesTest, FailedLookupKeepsTheSidButHandsNothingOut) {
  std::wstring user = L"u", domain = L"d", sid;
  EXPECT_EQ(2u, getProcessUserOf(kNoSuchUser, user, domain, sid));  // ENOENT
  EXPECT_EQ(L"S-1-22-1-4000000000", sid);
  EXPECT_EQ(L"u", user);
  EXPECT_EQ(L"d", domain);

  ScopedLogCapture capture;
  QString qUser = "u", qDomain = "d", qSid = "s";
  EXPECT_EQ(5, getUserInformationOf(kNoSuchUser, qUser, qDomain, qSid));
  EXPECT_EQ((QStringList{"u", "d", "s"}), (QStringList{qUser, qDomain, qSid}));
  ASSERT_EQ(1u, capture.log().entries.size());
  EXPECT_EQ(logger::LogError, capture.log().entries[0].level);
  EXPECT_EQ("System", capture.log().entries[0].tag);
  EXPECT_EQ("Failed to call 'getProcessUser'. Native error: 2", capture.log().entries[0].text);
}

}  // namespace
