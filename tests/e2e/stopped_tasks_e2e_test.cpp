// Runs stopped by SIGTERM while a task works through many files: the task ends
// between two of them and the run winds up by itself, long before the fallback that
// ends a run stuck outside its tasks, with the stop as the log's last line.

#include "raw_tree.h"
#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QThread>

#include <cstdio>

namespace {

// Enough that working through them takes seconds here.
constexpr int kFiles = 20000;
constexpr int kFilesPerDir = 1000;

// kFiles files below dir, in directories of kFilesPerDir; sizes differ so that a cut
// copy shows.
void makeTree(const QString& dir) {
  for (int d = 0; d < kFiles / kFilesPerDir; ++d) {
    const QString sub = dir + QStringLiteral("/d%1").arg(d, 3, 10, QLatin1Char('0'));
    ASSERT_TRUE(QDir().mkpath(sub));
    for (int f = 0; f < kFilesPerDir; ++f) {
      QFile file(sub + QStringLiteral("/f%1.txt").arg(f, 4, 10, QLatin1Char('0')));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      ASSERT_EQ(file.write(QByteArray(1 + (d * kFilesPerDir + f) % 3000, 'x')), 1 + (d * kFilesPerDir + f) % 3000);
    }
  }
}

// Relative path -> size of every file below dir.
QMap<QString, qint64> sizesBelow(const QString& dir) {
  QMap<QString, qint64> out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    out.insert(it.filePath().mid(dir.size() + 1), it.fileInfo().size());
  }
  return out;
}

class StoppedRun : public VarkelRun {
 public:
  // Runs the job and sends SIGTERM once the standard output holds marker; msToEnd is
  // the time from the signal to the program's end.
  RunResult stopAt(const QStringList& arguments, const QByteArray& marker) {
    QProcess p;
    start(p, arguments);
    if (!waitForOutput(p, marker)) {
      ADD_FAILURE() << "the output never held " << marker.constData();
      return finish(p);
    }
    QElapsedTimer timer;
    timer.start();
    QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
    RunResult r = finish(p);
    msToEnd = timer.elapsed();
    return r;
  }

  // Runs the job and sends SIGTERM once the program holds the file open.
  RunResult stopWhenOpen(const QStringList& arguments, const QString& file) {
    QProcess p;
    start(p, arguments);
    QElapsedTimer timer;
    timer.start();
    while (!holdsOpen(p.processId(), file)) {
      if (timer.hasExpired(kRunTimeoutMs) || p.state() == QProcess::NotRunning) {
        ADD_FAILURE() << "the program never opened " << qPrintable(file);
        return finish(p);
      }
      QThread::msleep(5);
    }
    QProcess::execute("kill", {"-TERM", QString::number(p.processId())});
    return finish(p);
  }

  qint64 msToEnd = 0;

 private:
  static bool holdsOpen(qint64 pid, const QString& file) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
      if (QFile::symLinkTarget(fds + '/' + fd) == file) return true;
    return false;
  }
};

void expectWoundUpByItself(const StoppedRun& v, const RunResult& r) {
  EXPECT_TRUE(lastLogLine(r).contains("[Mgr] Finish. The run was stopped by the signal SIGTERM."))
      << qPrintable(lastLogLine(r));
  EXPECT_FALSE(r.err.contains("did not wind up")) << qPrintable(r.err);
  EXPECT_FALSE(r.logHas("[Echo] next")) << "a stopped run starts nothing more";
  // The fallback ends the run 10 s after the signal.
  EXPECT_LT(v.msToEnd, 8000);
  std::printf("[   INFO   ] ended %lld ms after the signal\n", static_cast<long long>(v.msToEnd));
}

TEST(StoppedTasksEndToEnd, ACopyEndsBetweenTwoFilesAndLeavesEachWholeOrAbsent) {
  const struct {
    const char* name;
    const char* source;  // of the tree
    const char* tasks;
    QStringList arguments;
  } cases[] = {
      {"copy of a file set", "src",
       "<copy todir='DIR/out'><fileset dir='DIR/src'><include name='*'/></fileset></copy>",
       {"-job", "job.xml"}},
      {"file sets of a project", "big/src", "<libs name='big' output='DIR/out' filesetids='all'/>",
       {"-pmanifest", "varkel.xml", "-job", "job.xml"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StoppedRun v;
    ASSERT_READY(v);
    v.writeFilesProject("big", "src");
    v.writeJob("job.xml", v.inDir(QString("<tasks>\n") + c.tasks + "\n<echo message='next'/>\n</tasks>"));
    makeTree(v.path(c.source));
    const RunResult r = v.stopAt(c.arguments, "was copied to");
    expectWoundUpByItself(v, r);

    const QMap<QString, qint64> sources = sizesBelow(v.path(c.source));
    const QMap<QString, qint64> targets = sizesBelow(v.path("out"));
    EXPECT_LT(targets.size(), sources.size()) << "the copy went on to its end";
    EXPECT_GT(targets.size(), 0);
    for (auto it = targets.cbegin(); it != targets.cend(); ++it)
      ASSERT_EQ(sources.value(it.key(), -1), it.value()) << "not a whole copy of a source: " << qPrintable(it.key());
  }
}

TEST(StoppedTasksEndToEnd, ADeleteEndsBetweenTwoFiles) {
  const struct {
    const char* name;
    const char* tasks;
    const char* marker;
  } cases[] = {
      {"files of a set", "<delete><fileset dir='DIR/src'><include name='*'/></fileset></delete>", "was removed"},
      {"a directory tree", "<delete dir='DIR/src'/>", "Try to delete files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StoppedRun v;
    ASSERT_READY(v);
    v.writeJob("job.xml", v.inDir(QString("<tasks>\n") + c.tasks + "\n<echo message='next'/>\n</tasks>"));
    makeTree(v.path("src"));
    const RunResult r = v.stopAt({"-job", "job.xml"}, c.marker);
    expectWoundUpByItself(v, r);
    EXPECT_GT(sizesBelow(v.path("src")).size(), 0) << "the delete went on to its end";
  }
}

// One file that takes seconds to copy: the stop ends the copy inside it, and the target
// is as it was before (absent, or the old file), with no temporary file beside it.
TEST(StoppedTasksEndToEnd, ACopyOfOneLargeFileEndsInsideIt) {
  const struct {
    const char* name;
    const char* tasks;
    const char* logged;
    raw_tree::Names left;  // in the target directory afterwards
  } cases[] = {
      {"a file into a directory", "<copy file='DIR/big.bin' todir='DIR/out'/>",
       "[CopyFiles] Copying was interrupted. Error: 30. Task ID: 1", {}},
      {"a file over its old copy", "<copy file='DIR/big.bin' tofile='DIR/out/big.bin'/>",
       "[CopyFiles] Copying was interrupted. Error: 30. Task ID: 1", {"big.bin"}},
      {"a file of a project", "<libs name='big' output='DIR/out' filesetids='all'/>",
       "[Utils.CopyFiles] Copying was interrupted. Error: 30", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StoppedRun v;
    ASSERT_READY(v);
    v.writeFilesProject("big", v.path(""), "big.bin");
    v.writeJob("job.xml", v.inDir(QString("<tasks>\n") + c.tasks + "\n<echo message='next'/>\n</tasks>"));
    QDir().mkpath(v.path("out"));
    if (!c.left.isEmpty()) v.write("out/big.bin", "old");
    QFile big(v.path("big.bin"));
    // Sparse: nothing to write here, 3 GB to write for the copy.
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(3) << 30));
    big.close();

    const RunResult r = v.stopWhenOpen({"-pmanifest", "varkel.xml", "-job", "job.xml"}, v.path("big.bin"));
    EXPECT_TRUE(r.logHas(c.logged)) << qPrintable(r.log.right(3000));
    EXPECT_TRUE(lastLogLine(r).contains("[Mgr] Finish. The run was stopped by the signal SIGTERM."))
        << qPrintable(lastLogLine(r));
    EXPECT_FALSE(r.err.contains("did not wind up")) << qPrintable(r.err);
    EXPECT_FALSE(r.logHas("[Echo] next"));
    EXPECT_EQ(c.left, raw_tree::entriesBelow(QFile::encodeName(v.path("out"))));
    if (!c.left.isEmpty()) {
      ASSERT_EQ(3, QFileInfo(v.path("out/big.bin")).size()) << "not the old file";
      EXPECT_EQ("old", v.read("out/big.bin"));
    }
  }
}

}  // namespace
