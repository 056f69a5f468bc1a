#include "core/version_utils.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionUtilsTest, DateStamp) {
  const struct {
    const char* name;
    QDateTime time;
    const char* expected;
  } cases[] = {
      {"two-digit month and day", QDateTime(QDate(2023, 12, 9), QTime(10, 0)), "1209"},
      {"one-digit month", QDateTime(QDate(2024, 1, 5), QTime(0, 0)), "105"},
      {"last day of the year", QDateTime(QDate(2024, 12, 31), QTime(23, 59)), "1231"},
      {"null", QDateTime(), ""},
      {"invalid date", QDateTime(QDate(2024, 2, 30), QTime(0, 0)), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QString(c.expected), dateStamp(c.time)) << c.name;
}

TEST(VersionUtilsTest, StampVersionKeepsThreePartsAndAddsTheStartStamp) {
  const QString stamp = dateStamp(programStartTime());
  ASSERT_FALSE(stamp.isEmpty());
  EXPECT_EQ(programStartTime(), programStartTime());
  const struct {
    const char* version;
    const char* expectedHead;
  } cases[] = {
      {"2.5.1.77", "2.5.1."},
      {"1.2", "1.2."},
      {"3,1", "3,1,"},
      {"7", "7."},
      {"", "."},
      {"1..2", "1.2."},         // empty parts dropped
      {".5", ".5."},            // a leading dot is no separator
      {"1,2.3", "1,2.3."},      // a dot after the first character wins over a comma
      {"4.5,6", "4.5,6."},
  };
  for (const auto& c : cases) {
    QString out = "old";
    EXPECT_EQ(0, stampVersion(c.version, out));
    EXPECT_EQ(QString(c.expectedHead) + stamp, out) << c.version;
  }
}

}  // namespace
