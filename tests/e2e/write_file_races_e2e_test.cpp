// writefile truncate="yes" run by the real program while the file's name changes under
// it: a system call of the write held open (strace) gives the test a window to act in.

#include "traced_run.h"
#include "varkel_run.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool sh(const QString& command) { return QProcess::execute("sh", {"-c", command}) == 0; }

QString writeTask(const QString& file, const QString& text) {
  return "<writefile file='" + file + "' truncate='yes' resultvar='r' failonerror='no'><text>" + text +
         "</text></writefile>\n<echo message='result ${r}'/>\n";
}

QString writeJob(const QString& file, const QString& text) { return "<tasks>\n" + writeTask(file, text) + "</tasks>"; }

const char kOld[] = "old text, longer than the new\n";
// Long enough for the test to act on a loaded machine.
const char kHeld[] = "3000000";

// A change to the name between the choice of how to write and the end of the write is
// seen before the rename: the file is written as what it has become.
TEST(WriteFileRacesEndToEnd, ANameThatChangesDuringTheWriteIsWrittenAsItNowIs) {
  if (!traced_run::available()) GTEST_SKIP() << "strace cannot trace a program here";
  const struct {
    const char* name;
    const char* change;      // run while the new text is synced
    const char* newTextIn;   // every file that holds the new text afterwards
    QStringList entries;     // of DIR/d afterwards
  } cases[] = {
      {"a second name made", "ln DIR/d/f.txt DIR/d/g.txt", "f.txt g.txt", {"f.txt", "g.txt"}},
      {"the name swapped for a link", "mv DIR/d/f.txt DIR/d/real.txt && ln -s real.txt DIR/d/f.txt", "real.txt",
       {"f.txt", "real.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("d/f.txt", kOld);
    v.writeJob("job.xml", writeJob(v.path("d/f.txt"), "new"));
    traced_run::inject(v, QString("fsync:delay_enter=") + kHeld);
    QProcess p;
    v.start(p, {"-job", "job.xml"});
    ASSERT_TRUE(traced_run::waitForOpenFileIn(p, v.path("varkel"), v.path("d")));
    ASSERT_TRUE(sh(v.inDir(c.change)));
    const RunResult r = v.finish(p);
    ASSERT_EQ(0, r.exitCode) << qPrintable(r.log) << qPrintable(r.err);
    EXPECT_TRUE(r.logHas("[Echo] result 0\r\n")) << qPrintable(r.log);
    for (const QString& file : QString(c.newTextIn).split(' ')) EXPECT_EQ("new", v.read("d/" + file)) << qPrintable(file);
    EXPECT_EQ(c.entries, entriesOf(v.path("d")));
    if (c.entries.contains("real.txt")) {
      EXPECT_TRUE(QFileInfo(v.path("d/f.txt")).isSymLink());
    }
  }
}

// The file is reached through a link to its directory that is turned to another
// directory once the new file has its temporary name: the new file still takes the
// old one's place, and neither directory keeps a temporary file.
TEST(WriteFileRacesEndToEnd, ADirectoryLinkTurnedAwayDuringTheWriteLeavesNoTemporaryFile) {
  if (!traced_run::available()) GTEST_SKIP() << "strace cannot trace a program here";
  VarkelRun v;
  ASSERT_READY(v);
  v.write("d1/f.txt", kOld);
  v.write("d2/f.txt", "other\n");
  ASSERT_TRUE(QFile::link("d1", v.path("link")));
  v.writeJob("job.xml", writeJob(v.path("link/f.txt"), "new"));
  traced_run::inject(v, QString("linkat:delay_exit=") + kHeld);
  QProcess p;
  v.start(p, {"-job", "job.xml"});
  ASSERT_TRUE(traced_run::waitForHiddenEntryIn(p, v.path("d1")));
  ASSERT_TRUE(sh(v.inDir("ln -sfn d2 DIR/link")));
  const RunResult r = v.finish(p);
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log) << qPrintable(r.err);
  EXPECT_TRUE(r.logHas("[Echo] result 0\r\n")) << qPrintable(r.log);
  EXPECT_EQ("new", v.read("d1/f.txt"));
  EXPECT_EQ("other\n", v.read("d2/f.txt"));
  EXPECT_EQ(QStringList{"f.txt"}, entriesOf(v.path("d1")));
  EXPECT_EQ(QStringList{"f.txt"}, entriesOf(v.path("d2")));
}

// Where the new file without a name cannot be given one (no /proc, and a kernel that
// lets only a privileged user link such a file: both links fail with ENOENT there), a
// named temporary file takes its place.
TEST(WriteFileRacesEndToEnd, ANewFileThatCannotBeLinkedIsMadeWithAName) {
  if (!traced_run::available()) GTEST_SKIP() << "strace cannot trace a program here";
  VarkelRun v;
  ASSERT_READY(v);
  v.write("d/f.txt", kOld);
  ASSERT_TRUE(QFile::setPermissions(v.path("d/f.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  v.writeJob("job.xml", "<tasks>\n" + writeTask(v.path("d/f.txt"), "new") + writeTask(v.path("d/made.txt"), "made") + "</tasks>");
  traced_run::inject(v, "linkat:error=ENOENT");
  const RunResult r = v.runJob();
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log) << qPrintable(r.err);
  EXPECT_EQ(2, r.log.count("[Echo] result 0\r\n")) << qPrintable(r.log);
  EXPECT_EQ("new", v.read("d/f.txt"));
  EXPECT_EQ("made", v.read("d/made.txt"));
  const QFile::Permissions ownerGroupOther(0x7077);
  EXPECT_EQ(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup,
            QFile::permissions(v.path("d/f.txt")) & ownerGroupOther);
  EXPECT_EQ((QStringList{"f.txt", "made.txt"}), entriesOf(v.path("d")));
}

}  // namespace
