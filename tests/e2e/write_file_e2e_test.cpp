// writefile truncate="yes" run by the real program: the file written stays the file it
// was, whoever writes it and wherever it is, and a stop leaves nothing beside it.

#include "traced_run.h"
#include "varkel_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <iostream>

#include <gtest/gtest.h>

namespace {

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool sh(const QString& command) { return QProcess::execute("sh", {"-c", command}) == 0; }

// The standard output of a shell command, trimmed.
QString outputOf(const QString& command) {
  QProcess p;
  p.start("sh", {"-c", command});
  p.waitForFinished(kRunTimeoutMs);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString statOf(const QString& format, const QString& path) { return outputOf("stat -c '" + format + "' " + path); }

QString writeJob(const QString& file, const QString& text) {
  return "<tasks>\n<writefile file='" + file + "' truncate='yes' resultvar='r' failonerror='no'><text>" + text +
         "</text></writefile>\n<echo message='result ${r}'/>\n</tasks>";
}

const char kOld[] = "old text, longer than the new\n";

// Run as nobody, the file is written where an open for writing is allowed, also one the
// writer may not read, and keeps its owner and mode.
TEST(WriteFileEndToEnd, AnotherUsersFileIsWrittenWhereTheWriterMayWriteIt) {
  const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups"};
  if (QProcess::execute("setpriv", asNobody + QStringList{"true"}) != 0)
    GTEST_SKIP() << "cannot run a program as nobody here";
  const struct {
    const char* name;
    const char* dirMode;  // the directory is root's
    const char* owner;    // the file's
    const char* mode;
    bool twoNames;        // g.txt is a second name of the file
  } cases[] = {
      {"root's file in a directory the writer may write", "777", "0:0", "666", false},
      {"a file in a directory the writer cannot write", "755", "0:0", "666", false},
      {"another user's file in a sticky directory", "1777", "1000:1000", "666", false},
      {"another user's write-only file in a shared directory", "1777", "0:0", "622", false},
      {"the writer's write-only file with two names", "777", "65534:65534", "200", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("d/f.txt", kOld);
    if (c.twoNames) {
      ASSERT_TRUE(sh(v.inDir("ln DIR/d/f.txt DIR/d/g.txt")));
    }
    ASSERT_TRUE(sh(v.inDir("mkdir DIR/logs && chmod 777 DIR DIR/logs && chmod ") + c.mode + v.inDir(" DIR/d/f.txt && chown ") +
                   c.owner + v.inDir(" DIR/d/f.txt && chmod ") + c.dirMode + v.inDir(" DIR/d")));
    v.write("as-nobody.sh", "#!/bin/sh\nexec setpriv " + asNobody.join(' ') + " \"$@\"\n", true);
    v.setLauncher(v.path("as-nobody.sh"));
    v.writeJob("job.xml", writeJob(v.path("d/f.txt"), "new"));
    const RunResult r = v.runJob();
    ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas("[Echo] result 0\r\n")) << qPrintable(r.log);
    EXPECT_EQ("new", v.read("d/f.txt"));
    EXPECT_EQ(QString(c.owner) + " " + c.mode, statOf("%u:%g %a", v.path("d/f.txt")));
    if (c.twoNames) {
      EXPECT_EQ("new", v.read("d/g.txt"));
    }
    const QStringList names = c.twoNames ? QStringList{"f.txt", "g.txt"} : QStringList{"f.txt"};
    EXPECT_EQ(names, entriesOf(v.path("d")));
  }
}

// Where a new file could not stand in for the file, the file itself is written: the new
// text is seen through every way to it.
TEST(WriteFileEndToEnd, AFileThatANewOneCouldNotStandInForIsWrittenItself) {
  const struct {
    const char* name;
    const char* written;
    const char* setup;     // a shell command run before the program, or null
    const char* launcher;  // a shell line that ends by running "$@", or null
    const char* seen;      // where the new text shows, or null
    QStringList entries;   // of DIR/d afterwards
  } cases[] = {
      {"a file with two names", "DIR/d/f.txt", "ln DIR/d/f.txt DIR/d/g.txt", nullptr, "d/g.txt", {"f.txt", "g.txt"}},
      {"a file mounted over its name", "DIR/d/f.txt", "cp DIR/d/f.txt DIR/source.txt",
       "unshare --mount --propagation private sh -c 'mount --bind DIR/source.txt DIR/d/f.txt || exit 97; \"$@\"' sh",
       "source.txt", {"f.txt"}},
      {"a file of the kernel's", "/proc/self/comm", nullptr, nullptr, nullptr, {"f.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("d/f.txt", kOld);
    if (c.setup) {
      ASSERT_TRUE(sh(v.inDir(c.setup)));
    }
    if (c.launcher) {
      v.write("launch.sh", v.inDir(QString("#!/bin/sh\nexec ") + c.launcher + " \"$@\"\n"), true);
      v.setLauncher(v.path("launch.sh"));
    }
    v.writeJob("job.xml", writeJob(v.inDir(c.written), "new"));
    const RunResult r = v.runJob();
    if (r.exitCode == 97) {
      std::cout << "[ SKIPPED  ] " << c.name << ": cannot mount here\n";
      continue;
    }
    ASSERT_EQ(0, r.exitCode) << qPrintable(r.log) << qPrintable(r.err);
    EXPECT_TRUE(r.logHas("[Echo] result 0\r\n")) << qPrintable(r.log);
    if (c.seen) {
      EXPECT_EQ("new", v.read(c.seen));
    }
    EXPECT_EQ(c.entries, entriesOf(v.path("d")));
  }
}

// A write-only entry of the kernel's is written as the shell's ">" writes it; "4" only
// quiets the kernel's message about dropped caches, it drops nothing.
TEST(WriteFileEndToEnd, AWriteOnlyEntryOfTheKernelsIsWritten) {
  const QString entry = "/proc/sys/vm/drop_caches";
  if (!sh("test ! -r " + entry + " && echo 4 > " + entry)) GTEST_SKIP() << entry.toStdString() << " cannot be written here";
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml", writeJob(entry, "4"));
  const RunResult r = v.runJob();
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] result 0\r\n")) << qPrintable(r.log);
}

// A file that writefile makes takes the directory's default ACL, as an append (or the
// shell's ">") does: the user whom the ACL lets write may write it.
TEST(WriteFileEndToEnd, AMadeFileTakesTheDirectorysDefaultAcl) {
  VarkelRun v;
  ASSERT_READY(v);
  ASSERT_TRUE(QDir().mkpath(v.path("d")));
  if (!sh(v.inDir("setfacl -d -m u:65534:rw- DIR/d"))) GTEST_SKIP() << "no ACLs here";
  v.writeJob("job.xml", v.inDir("<tasks>\n<writefile file='DIR/d/new.txt' truncate='yes'><text>new</text></writefile>\n"
                                "<writefile file='DIR/d/appended.txt'><text>new</text></writefile>\n</tasks>"));
  const RunResult r = v.runJob();
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  for (const char* file : {"new.txt", "appended.txt"}) {
    SCOPED_TRACE(file);
    const QString acl = outputOf("getfacl -c -n " + v.path("d/") + file);
    EXPECT_TRUE(acl.contains("user:65534:rw-")) << qPrintable(acl);
    EXPECT_TRUE(acl.contains("mask::rw-")) << qPrintable(acl);
  }
}

// A run stopped while it writes a large file leaves the old file or the new one, and no
// temporary file beside it: ended by a second stop signal, or killed.
TEST(WriteFileEndToEnd, AStopDuringALargeWriteLeavesNoTemporaryFile) {
  const QStringList signalCases[] = {{"TERM", "TERM"}, {"KILL"}};
  const QString item = "<text>" + QString("a line of the large file\n").repeated(400 * 1024) + "</text>";
  for (const QStringList& stops : signalCases) {
    SCOPED_TRACE(stops.join(' ').toStdString());
    VarkelRun v;
    ASSERT_READY(v);
    v.write("d/big.txt", "old\n");
    // The task's own lines only: its text is not logged.
    v.writeJob("job.xml", v.inDir("<tasks>\n<setvar name='log.filter.task.details' value='0'/>\n"
                                  "<writefile file='DIR/d/big.txt' truncate='yes'>" +
                                  item.repeated(8) + "</writefile>\n</tasks>"));
    QProcess p;
    v.start(p, {"-job", "job.xml"});
    ASSERT_TRUE(traced_run::waitForOpenFileIn(p, v.path("varkel"), v.path("d")));
    for (const QString& signal : stops)
      QProcess::execute("kill", {"-" + signal, QString::number(p.processId())});
    const RunResult r = v.finish(p);
    EXPECT_NE(0, r.exitCode);
    EXPECT_EQ(QStringList{"big.txt"}, entriesOf(v.path("d")));
    const qint64 size = QFileInfo(v.path("d/big.txt")).size();
    EXPECT_TRUE(size == 4 || size == 8 * 400 * 1024 * 25) << size;
  }
}

}  // namespace
