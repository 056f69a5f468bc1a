// Runs stopped by SIGTERM while a task works through many files: the task ends
// between two of them and the run winds up by itself, long before the fallback that
// ends a run stuck outside its tasks, with the stop as the log's last line.

#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QMap>

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

  qint64 msToEnd = 0;
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
    v.write("varkel.xml", "<?xml version='1.0'?>\n<project><scan><targets><target path='big'/></targets></scan>"
                          "</project>\n");
    v.write("big/varkel.xml",
            "<?xml version='1.0'?>\n<project><solutions><solution type='files' name='big'><output>"
            "<fileset id='all' dir='src'><include name='*'/></fileset></output></solution></solutions></project>\n");
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

}  // namespace
