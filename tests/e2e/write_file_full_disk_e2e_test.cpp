// writefile truncate="yes" run by the real program on a disk that is full: a file that
// must be written itself (it has two names) keeps its old text or takes the new one
// whole, also while another program takes every block that frees up; and where the old
// text could not be kept, the failure says so.

#include "small_disk.h"
#include "traced_run.h"
#include "varkel_run.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

bool sh(const QString& command) { return QProcess::execute("sh", {"-c", command}) == 0; }

QString writeJob(const QString& file, const QString& text) {
  return "<tasks>\n<setvar name='log.filter.task.details' value='0'/>\n<writefile file='" + file +
         "' truncate='yes' resultvar='r' failonerror='no'><text>" + text +
         "</text></writefile>\n<echo message='result ${r}'/>\n</tasks>";
}

// A text of the given size in lines.
QString textOf(char letter, int bytes) { return (QString(79, QLatin1Char(letter)) + '\n').repeated(bytes / 80); }

// Each cut of a file's length is held a moment, so that the other program surely takes
// what a cut frees.
TEST(WriteFileFullDiskEndToEnd, AFileWithTwoNamesKeepsOneWholeTextWhileAnotherProgramFillsTheDisk) {
  if (!traced_run::available()) GTEST_SKIP() << "strace cannot trace a program here";
  const QString old = textOf('o', 400000);
  const struct {
    const char* name;
    int newBytes;
    const char* result;
  } cases[] = {
      {"a longer text fails and the old one stays", 500000, "20"},
      {"a shorter text is written", 300000, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    small_disk::Disk disk;
    disk.kilobytes = 1024;
    disk.competingWriter = true;
    disk.runUnder = traced_run::tracing("ftruncate:delay_exit=300000");
    if (!small_disk::runOnSmallDisk(v, disk)) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    v.setEnv("LC_ALL", "C");
    v.write("seed/f.txt", old);
    ASSERT_TRUE(sh(v.inDir("ln DIR/seed/f.txt DIR/seed/g.txt")));
    const QString text = textOf('n', c.newBytes);
    v.writeJob("job.xml", writeJob(v.path("disk/f.txt"), text));
    const RunResult r = v.runJob();
    ASSERT_NE(small_disk::kNoDisk, r.exitCode) << qPrintable(r.err);
    ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(QString("[Echo] result ") + c.result + "\r\n")) << qPrintable(r.log.right(2000));
    const QString expected = QString(c.result) == "0" ? text : old;
    for (const char* name : {"after/f.txt", "after/g.txt"}) {
      const QString got = v.read(name);
      EXPECT_TRUE(got == expected) << name << ": " << got.size() << " bytes, " << qPrintable(got.left(1)) << "...";
    }
    if (QString(c.result) != "0") {
      EXPECT_TRUE(r.logHas("[WriteFile] Failed to write the file '" + v.path("disk/f.txt") +
                           "'! No space left on device. Task ID: "))
          << qPrintable(r.log.right(2000));
    }
  }
}

// A file the writer may write but not read is written without its old text kept: a
// write that fails part-way (here the space could not be reserved first) says that the
// old text could not be put back.
TEST(WriteFileFullDiskEndToEnd, AWriteOnlyFileThatCannotBeWrittenWholeSaysItsOldTextIsLost) {
  const QString asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  if (!sh(asNobody + " true")) GTEST_SKIP() << "cannot run a program as nobody here";
  if (!traced_run::available()) GTEST_SKIP() << "strace cannot trace a program here";
  VarkelRun v;
  ASSERT_READY(v);
  small_disk::Disk disk;
  disk.runUnder = traced_run::tracing("fallocate:error=EOPNOTSUPP") + " " + asNobody;
  if (!small_disk::runOnSmallDisk(v, disk)) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  v.setEnv("LC_ALL", "C");
  v.write("seed/f.txt", "old\n");
  ASSERT_TRUE(sh(v.inDir("mkdir DIR/logs && chmod 777 DIR DIR/logs && ln DIR/seed/f.txt DIR/seed/g.txt && "
                         "chown 65534:65534 DIR/seed/f.txt && chmod 200 DIR/seed/f.txt")));
  v.writeJob("job.xml", writeJob(v.path("disk/f.txt"), textOf('n', 2 * disk.kilobytes * 1024)));
  const RunResult r = v.runJob();
  ASSERT_NE(small_disk::kNoDisk, r.exitCode) << qPrintable(r.err);
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log) << qPrintable(r.err);
  EXPECT_TRUE(r.logHas("[Echo] result 20\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[WriteFile] Failed to write the file '" + v.path("disk/f.txt") +
                       "'! No space left on device; its old text could not be put back. Task ID: "))
      << qPrintable(r.log);
  EXPECT_TRUE(v.read("after/g.txt").startsWith("nnnn"));
}

}  // namespace
