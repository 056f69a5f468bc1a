#include "core/log_appenders.h"
#include "core/logger.h"
#include "core/logger_clock.h"
#include "platform/process_ids.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using testing_support::ScopedLogCapture;

namespace {

TEST(LogManagerTest, LevelAndCategoryDecideWhatIsWritten) {
  struct Case {
    const char* name;
    int managerLevel;
    int statementLevel;
    std::uint64_t mask;
    std::uint64_t category;  // 0: uncategorised
    bool written;
  };
  const Case cases[] = {
      {"warning at warning", 3, 3, 0, 0, true},
      {"info at warning", 3, 4, 0, 0, false},
      {"error at off", 0, 2, 0, 0, false},
      {"fatal at off", 0, 1, 0, 0, false},
      {"error at trace", 6, 2, 0, 0, true},
      {"category bit on", 6, 4, logger::FilterTaskDetails, logger::FilterTaskDetails, true},
      {"category bit off", 6, 4, logger::FilterTaskBuild, logger::FilterTaskDetails, false},
      {"empty mask", 6, 4, 0, logger::FilterCopyFiles, false},
  };
  for (const Case& c : cases) {
    ScopedLogCapture capture(c.managerLevel);
    capture.manager()->clearFilter(~std::uint64_t(0));
    capture.manager()->setFilter(c.mask);
    if (c.category) {
      VLOG_CAT(c.statementLevel, c.category, "T") << "x";
    } else {
      VLOG_AT(c.statementLevel, "T") << "x";
    }
    EXPECT_EQ(c.written, capture.log().entries.size() == 1) << c.name;
  }
}

TEST(LogManagerTest, EmptyTextAndNullManagerProduceNothing) {
  ScopedLogCapture capture;
  { logger::LogClient client(capture.manager(), logger::LogInfo, "T"); }
  logger::LogClient nullClient(nullptr, logger::LogInfo, "T");
  EXPECT_FALSE(nullClient.isValid());
  nullClient << "lost";
  nullClient.flush();
  EXPECT_TRUE(capture.log().entries.empty());
}

TEST(LogManagerTest, StatementCarriesFieldsAndFlushStartsASecondEntry) {
  ScopedLogCapture capture;
  {
    auto client = logger::logWarning(capture.manager(), "Tag");
    client << "a " << 42 << ' ' << qint64(-7) << ' ' << 2.5;
    client.flush();
    client << "second";
  }
  const auto& entries = capture.log().entries;
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("a 42 -7 2.5", entries[0].text);
  EXPECT_EQ("second", entries[1].text);
  EXPECT_EQ(logger::LogWarning, entries[0].level);
  EXPECT_EQ("Tag", entries[0].tag);
  EXPECT_NE(0u, entries[0].processId);
  EXPECT_NE(0u, entries[0].threadId);
  EXPECT_LE(qAbs(QDateTime::currentMSecsSinceEpoch() - entries[0].time), 5000);
}

TEST(LogManagerTest, EachThreadsStatementsCarryItsOwnThreadId) {
  ScopedLogCapture capture;
  logger::logInfo(capture.manager(), "T") << "main";
  std::uint64_t otherId = 0;
  std::thread other([&] {
    otherId = platform::currentThreadId();
    logger::logInfo(capture.manager(), "T") << "other";
  });
  other.join();
  logger::logInfo(capture.manager(), "T") << "main again";
  const auto& entries = capture.log().entries;
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ(platform::currentThreadId(), entries[0].threadId);
  EXPECT_EQ(otherId, entries[1].threadId);
  EXPECT_NE(entries[0].threadId, entries[1].threadId);
  EXPECT_EQ(entries[0].threadId, entries[2].threadId);
  EXPECT_EQ(entries[0].processId, entries[1].processId);
}

TEST(LogManagerTest, RawStatementReachesRawWriteUnchanged) {
  ScopedLogCapture capture;
  logger::makeRawLogClient(capture.manager()) << "out\npart";
  ASSERT_EQ(1, capture.log().raw.size());
  EXPECT_EQ("out\npart", capture.log().raw[0]);
  EXPECT_TRUE(capture.log().entries.empty());
}

TEST(LogManagerTest, BytesAreDecodedByTheirLengthSoANulDoesNotCutThem) {
  ScopedLogCapture capture;
  logger::logInfo(capture.manager(), "T") << QByteArray("a\0b", 3);
  ASSERT_EQ(1u, capture.log().entries.size());
  EXPECT_EQ(QString::fromUtf8("a\0b", 3), capture.log().entries[0].text);
}

// Records what it receives, tagged with its own number, into a list shared by all.
class OrderAppender : public logger::ILogAppender {
 public:
  OrderAppender(int id, QStringList* seen) : id_(id), seen_(seen) {}
  void writeRaw(const QString& text) override { *seen_ << QString("%1 raw %2").arg(id_).arg(text); }
  void write(const logger::LogEntry& entry) override { *seen_ << QString("%1 %2").arg(id_).arg(entry.text); }

 private:
  int id_;
  QStringList* seen_;
};

TEST(LogManagerTest, EveryAppenderGetsEveryStatementInRegistrationOrder) {
  QStringList seen;
  ScopedLogCapture capture;
  capture.manager()->addAppender(new OrderAppender(1, &seen));
  capture.manager()->addAppender(new OrderAppender(2, &seen));
  logger::logInfo(capture.manager(), "T") << "line";
  logger::makeRawLogClient(capture.manager()) << "out";
  EXPECT_EQ((QStringList{"1 line", "2 line", "1 raw out", "2 raw out"}), seen);
}

TEST(LogManagerTest, AppenderListStopsAtOneHundred) {
  ScopedLogCapture capture;  // holds one appender already
  for (int i = 0; i < 150; ++i) capture.manager()->addAppender(new logger::LogAppenderConsole);
  EXPECT_EQ(100, capture.manager()->appenderCount());
}

TEST(LogManagerTest, LastReleaseGivesAFreshManager) {
  {
    ScopedLogCapture capture(3);
    capture.manager()->addAppender(new logger::LogAppenderConsole);
  }
  logger::LogManager* fresh = logger::LogManager::instance();
  fresh->addRef();
  EXPECT_EQ(6, fresh->level());
  EXPECT_EQ(0u, fresh->filterMask());
  EXPECT_EQ(0, fresh->appenderCount());
  fresh->release();
}

logger::LogEntry entryAt(const QDateTime& local, quint64 pid, quint64 tid, int level,
                         const QString& tag, const QString& text) {
  logger::LogEntry e;
  e.time = local.toMSecsSinceEpoch();
  e.processId = pid;
  e.threadId = tid;
  e.level = level;
  e.tag = tag;
  e.text = text;
  return e;
}

TEST(LogLineTest, FormatPadsEveryField) {
  const QDateTime justAfterMidnight(QDate(2024, 3, 5), QTime(0, 0, 0, 5), Qt::LocalTime);
  const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 3, 7, 45), Qt::LocalTime);
  struct Case {
    logger::LogEntry entry;
    bool withDate;
    const char* line;
  };
  const Case cases[] = {
      {entryAt(afternoon, 4312, 988, 2, "PropertiesFile", "Failed to open file: 'C:/x.properties'"), true,
       "[2024/03/05 14:03:07:045] [ERROR] [4312] [0988] [PropertiesFile] Failed to open file: 'C:/x.properties'"},
      {entryAt(justAfterMidnight, 7, 123456, 4, "", "t"), false, "[00:00:00:005] [INFRM] [0007] [123456] [] t"},
      {entryAt(afternoon, 1, 2, 9, "x", ""), false, "[14:03:07:045] [XXXXX] [0001] [0002] [x] "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, logger::formatLogLine(c.entry, c.withDate));
}

TEST(LogLineTest, LevelNames) {
  const char* names[] = {"OFFFF", "FATAL", "ERROR", "WARNG", "INFRM", "DEBUG", "TRACE"};
  for (int level = 0; level <= 6; ++level) EXPECT_EQ(names[level], logger::logLevelName(level));
  EXPECT_EQ("XXXXX", logger::logLevelName(-1));
  EXPECT_EQ("XXXXX", logger::logLevelName(7));
}

qint64 utcMsecs(int y, int mo, int d, int h, int mi, int s, int ms) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// The clock with its offset to UTC from a seam: one hour east, two from a switch onwards.
TEST(LoggerClockTest, DatesAndTimesEitherSideOfMidnightAndOfAnOffsetChange) {
  const qint64 summerFrom = utcMsecs(2024, 3, 31, 1, 0, 0, 0);
  logger::LoggerClock clock([&](qint64 msecs) { return msecs < summerFrom ? 3600 : 7200; });
  const struct {
    qint64 utc;
    const char* local;
  } cases[] = {
      {utcMsecs(2023, 12, 31, 22, 59, 59, 999), "2023/12/31 23:59:59:999"},
      {utcMsecs(2023, 12, 31, 23, 0, 0, 0), "2024/01/01 00:00:00:000"},
      {utcMsecs(2024, 2, 28, 23, 0, 0, 5), "2024/02/29 00:00:00:005"},
      {utcMsecs(2024, 2, 29, 22, 59, 59, 999), "2024/02/29 23:59:59:999"},
      {utcMsecs(2024, 2, 29, 23, 0, 0, 0), "2024/03/01 00:00:00:000"},
      {summerFrom - 1, "2024/03/31 01:59:59:999"},
      {summerFrom, "2024/03/31 03:00:00:000"},
      {summerFrom - 1, "2024/03/31 01:59:59:999"},  // and back: the offset is that of the time
      {utcMsecs(1999, 12, 31, 23, 0, 0, 0), "2000/01/01 00:00:00:000"},
  };
  for (const auto& c : cases) {
    const logger::LoggerClock::Text t = clock.text(c.utc);
    EXPECT_EQ(QByteArray(c.local), QByteArray(t.chars, t.size));
    EXPECT_EQ(QByteArray(c.local).mid(11), QByteArray(t.time(), t.timeSize()));
  }
}

TEST(LoggerClockTest, AsksForTheOffsetAtMostOncePerSecondOfLogTime) {
  int asked = 0;
  int offset = 0;
  logger::LoggerClock clock([&](qint64) {
    ++asked;
    return offset;
  });
  const qint64 second = utcMsecs(2024, 6, 1, 12, 0, 0, 0);
  for (int ms = 0; ms < 1000; ++ms) (void)clock.text(second + ms);
  EXPECT_EQ(1, asked);
  offset = 3600;  // the zone changes: seen from the next second on
  EXPECT_EQ(QByteArray("12:00:00:999"), QByteArray(clock.text(second + 999).time(), 12));
  EXPECT_EQ(QByteArray("13:00:01:000"), QByteArray(clock.text(second + 1000).time(), 12));
  EXPECT_EQ(2, asked);
}

// The local zone of the system, set through TZ for this test: Central European time.
TEST(LoggerClockTest, FollowsTheSystemTimeZoneAcrossItsSwitchToSummerTime) {
  const QByteArray oldTz = qgetenv("TZ");
  const bool hadTz = qEnvironmentVariableIsSet("TZ");
  qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  logger::LoggerClock clock;
  const qint64 summerFrom = utcMsecs(2024, 3, 31, 1, 0, 0, 0);
  const QByteArray before = QByteArray(clock.text(summerFrom - 1).chars, 23);
  const QByteArray after = QByteArray(clock.text(summerFrom).chars, 23);
  const QByteArray winter = QByteArray(clock.text(utcMsecs(2024, 1, 15, 23, 30, 0, 0)).chars, 23);
  if (hadTz) {
    qputenv("TZ", oldTz);
  } else {
    qunsetenv("TZ");
  }
  EXPECT_EQ("2024/03/31 01:59:59:999", before);
  EXPECT_EQ("2024/03/31 03:00:00:000", after);
  EXPECT_EQ("2024/01/16 00:30:00:000", winter);
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

TEST(LogAppenderFileTest, WritesLinesWithCrLfAndRawTextAsIs) {
  QTemporaryDir dir;
  const QString path = dir.filePath("build_system.log");
  {
    logger::LogAppenderFile file(logger::LogAppenderFile::kDefaultSizeLimit, path);
    file.writeRaw("raw");
    file.write(entryAt(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), 1, 2, 4, "T", QString::fromUtf8("h\xc3\xa9")));
  }
  EXPECT_EQ(QByteArray("raw[2024/01/02 03:04:05:006] [INFRM] [0001] [0002] [T] h\xc3\xa9\r\n"), readAll(path));
}

// A log left by an earlier run, and a size limit of one line.
class LogAppenderFileLimitTest : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::writeFile(path_, "from an earlier run\r\n"); }
  QByteArray log() const { return readAll(path_); }

  QTemporaryDir dir_;
  const QString path_ = dir_.filePath("build_system.log");
  const logger::LogEntry e_ = entryAt(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), 1, 2, 4, "T", "0123456789");
  const QByteArray line_ = "[2024/01/02 03:04:05:006] [INFRM] [0001] [0002] [T] 0123456789\r\n";
};

TEST_F(LogAppenderFileLimitTest, OpenTruncatesAndFullFileIsEmptiedBeforeTheNextLine) {
  logger::LogAppenderFile file(line_.size(), path_);
  file.write(e_);
  EXPECT_EQ(line_, log());  // at the limit, not past it: kept
  file.writeRaw("x");
  file.write(e_);           // one byte past the limit: emptied first
  EXPECT_EQ(line_, log());
}

// Two appenders on one file stand for two runs in one program directory: each one keeps
// the other's lines, and the file is emptied only by a run that has it alone.
TEST_F(LogAppenderFileLimitTest, AFileThatAnotherRunHoldsIsEmptiedNeitherAtTheOpenNorAtTheLimit) {
  auto first = std::make_unique<logger::LogAppenderFile>(line_.size(), path_);
  first->write(e_);
  logger::LogAppenderFile second(line_.size(), path_);
  second.write(e_);
  first->write(e_);
  EXPECT_EQ(QString(line_ + line_ + line_), QString(log())) << "past the limit, but held by the other run";
  first.reset();
  second.write(e_);
  EXPECT_EQ(QString(line_), QString(log())) << "alone now";
}

TEST(LogAppenderFileTest, DefaultPathIsLogsUnderTheProgramDirectory) {
  const QString logDir = QCoreApplication::applicationDirPath() + "/logs";
  EXPECT_EQ(logDir + "/build_system.log", logger::LogAppenderFile::getLogFilePath());
  EXPECT_TRUE(QFileInfo(logDir).isDir());
}

TEST(LogAppenderFileTest, EntryIsDroppedWhileTheFileCannotBeOpenedAndOpenIsTriedAgain) {
  QTemporaryDir dir;
  const QString path = dir.filePath("later/build_system.log");
  const logger::LogEntry e = entryAt(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), 1, 2, 4, "T", "x");
  logger::LogAppenderFile file(logger::LogAppenderFile::kDefaultSizeLimit, path);
  file.write(e);
  file.writeRaw("lost");
  ASSERT_TRUE(QDir(dir.path()).mkdir("later"));
  file.write(e);
  EXPECT_EQ(QByteArray("[2024/01/02 03:04:05:006] [INFRM] [0001] [0002] [T] x\r\n"), readAll(path));
}

TEST(LogAppenderConsoleTest, RawTextThenLineOnStandardOutput) {
  logger::LogAppenderConsole console;
  testing::internal::CaptureStdout();
  console.writeRaw("raw");
  console.write(entryAt(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), 1, 2, 3, "T", "text"));
  EXPECT_EQ("raw[03:04:05:006] [WARNG] [0001] [0002] [T] text\r\n", testing::internal::GetCapturedStdout());
}

// One statement, through the manager to both appenders, with a clock whose offset source
// answers differently each time it is asked: both lines must still show one time.
TEST(LogAppendersTest, BothAppendersOfAStatementWriteTheSameTime) {
  QTemporaryDir dir;
  const QString path = dir.filePath("build_system.log");
  int asked = 0;
  logger::LoggerClock clock([&](qint64) { return 3600 * ++asked; });
  {
    ScopedLogCapture capture;
    capture.manager()->addAppender(
        new logger::LogAppenderFile(logger::LogAppenderFile::kDefaultSizeLimit, path, &clock));
    capture.manager()->addAppender(new logger::LogAppenderConsole(&clock));
    testing::internal::CaptureStdout();
    logger::logWarning(capture.manager(), "T") << "one";
    const QByteArray console = QByteArray::fromStdString(testing::internal::GetCapturedStdout());
    const QByteArray file = readAll(path);
    ASSERT_TRUE(console.startsWith('[') && console.endsWith("] [T] one\r\n")) << console.constData();
    ASSERT_TRUE(file.startsWith('[') && file.endsWith("] [T] one\r\n")) << file.constData();
    // "[yyyy/MM/dd " comes before the time in the file only.
    EXPECT_EQ(console, "[" + file.mid(12));
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(capture.log().entries.at(0).time, Qt::UTC).addSecs(3600);
    EXPECT_EQ(local.toString("[yyyy/MM/dd hh:mm:ss:zzz]").toLatin1(), file.left(25));
  }
  EXPECT_EQ(1, asked);
}

}  // namespace
