#include "core/log_appenders.h"
#include "core/logger.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

TEST(LogManagerTest, RawStatementReachesRawWriteUnchanged) {
  ScopedLogCapture capture;
  logger::makeRawLogClient(capture.manager()) << "out\npart";
  ASSERT_EQ(1, capture.log().raw.size());
  EXPECT_EQ("out\npart", capture.log().raw[0]);
  EXPECT_TRUE(capture.log().entries.empty());
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

TEST(LogAppenderFileTest, OpenTruncatesAndFullFileIsEmptiedBeforeTheNextLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath("build_system.log");
  testing_support::writeFile(path, "from an earlier run\r\n");
  const logger::LogEntry e = entryAt(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), 1, 2, 4, "T", "0123456789");
  const QByteArray line = "[2024/01/02 03:04:05:006] [INFRM] [0001] [0002] [T] 0123456789\r\n";
  logger::LogAppenderFile file(line.size(), path);
  file.write(e);
  EXPECT_EQ(line, readAll(path));  // at the limit, not past it: kept
  file.writeRaw("x");
  file.write(e);                   // one byte past the limit: emptied first
  EXPECT_EQ(line, readAll(path));
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

}  // namespace
