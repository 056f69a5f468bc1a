// What a stop signal does to a run of the real program, seen from outside: how it dies,
// what its children get, what it leaves behind.

#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <random>

namespace {

constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

class StopJob : public VarkelRun {
 public:
  void write(const QString& name, const QString& text, bool executable = false) {
    VarkelRun::write(name, inDir(text), executable);
  }
  void writeTasks(const QString& tasks) {
    write("job.xml", "<?xml version=\"1.0\"?>\n<project>\n<tasks>\n" + tasks + "\n</tasks>\n</project>\n");
  }
};

void sendSignal(const QString& signal, qint64 pid) {
  QProcess::execute("kill", {"-" + signal, "--", QString::number(pid)});
}

// Says "ready" on the program's own console once its id is written, then sleeps.
const char kReadySleeper[] = "#!/bin/sh\necho $$ > DIR/sleep.pid\necho ready\nexec sleep 300\n";

TEST(StopEndToEnd, AStoppedRunDiesByTheSignalSoThatItsScriptGoesNoFurther) {
  if (testing_support::ignoresSignal(kSigInt)) GTEST_SKIP() << "SIGINT is ignored here, and so by the program";
  StopJob job;
  ASSERT_READY(job);
  job.write("sleeper.sh", kReadySleeper, true);
  job.writeTasks(job.inDir("<exec exe='DIR/sleeper.sh' show='no'/>"));
  // A group of its own, so that ^C can be played: SIGINT to every process of the group.
  job.write("script.sh",
            "#!/bin/sh\nexec setsid bash -c '\"$0\" \"$@\"; echo second > DIR/second; \"$0\" \"$@\"' \"$@\"\n",
            true);
  job.setLauncher(job.path("script.sh"));
  QProcess p;
  job.start(p, {"-job", "job.xml"});
  ASSERT_TRUE(job.waitForOutput(p, "ready"));
  sendSignal("INT", -p.processId());
  const RunResult r = job.finish(p);
  EXPECT_EQ(kSigInt, r.endSignal) << "the script went on; exit code " << r.exitCode;
  EXPECT_FALSE(QFileInfo::exists(job.path("second")));
  EXPECT_TRUE(lastLogLine(r).contains("[Mgr] Finish. The run was stopped by the signal SIGINT.")) << qPrintable(r.log);
  job.expectEnded({"sleep.pid"});
}

TEST(StopEndToEnd, SignalsWithinASecondOfTheFirstAreOneStopThatTheFirstNames) {
  if (testing_support::ignoresSignal(kSigInt)) GTEST_SKIP() << "SIGINT is ignored here, and so by the program";
  StopJob job;
  ASSERT_READY(job);
  job.write("sleeper.sh", kReadySleeper, true);
  job.writeTasks(job.inDir("<exec exe='DIR/sleeper.sh' show='no'/>\n<echo message='next'/>"));
  QProcess p;
  job.start(p, {"-job", "job.xml"});
  ASSERT_TRUE(job.waitForOutput(p, "ready"));
  sendSignal("INT", p.processId());
  QThread::msleep(100);
  sendSignal("TERM", p.processId());
  const RunResult r = job.finish(p);
  EXPECT_EQ(kSigInt, r.endSignal);
  EXPECT_FALSE(r.err.contains("ended at once")) << qPrintable(r.err);
  EXPECT_FALSE(r.logHas("[Echo] next"));
  EXPECT_TRUE(lastLogLine(r).endsWith("[Mgr] Finish. The run was stopped by the signal SIGINT. Result 30 leaves the "
                                      "process with exit code 130."))
      << qPrintable(r.log);
  job.expectEnded({"sleep.pid"});
}

TEST(StopEndToEnd, EachProcessBelowGetsSIGTERMOnce) {
  // Both live on after SIGTERM, counting it, until SIGKILL comes after the grace.
  const char* const child =
      "#!/bin/sh\ntrap 'echo TERM >> DIR/child.count' TERM\necho $$ > DIR/child.pid\n"
      "while :; do sleep 0.2; done\n";
  const char* const script =
      "#!/bin/sh\ntrap 'echo TERM >> DIR/script.count' TERM\nDIR/child.sh &\n"
      "while [ ! -s DIR/child.pid ]; do sleep 0.05; done\necho $$ > DIR/script.pid\necho ready\n"
      "while :; do sleep 0.2; done\n";
  const struct {
    const char* name;
    const char* task;
  } cases[] = {
      {"exec", "<exec exe='DIR/script.sh' show='no'/>"},
      {"system", "<system cmd='exec DIR/script.sh'/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StopJob job;
    ASSERT_READY(job);
    job.write("child.sh", child, true);
    job.write("script.sh", script, true);
    job.writeTasks(job.inDir(c.task));
    const RunResult r = job.runAndStop({"-job", "job.xml"}, "TERM");
    EXPECT_EQ(kSigTerm, r.endSignal);
    job.expectEnded({"script.pid", "child.pid"});
    EXPECT_EQ("TERM\n", job.read("script.count"));
    EXPECT_EQ("TERM\n", job.read("child.count"));
  }
}

TEST(StopEndToEnd, OrphansAreReapedAsTheyEndAndTheRunsOwnChildrenKeepTheirExitCodes) {
  StopJob job;
  ASSERT_READY(job);
  // Each sleep loses its parent at once and comes to the program; they end while the
  // execs after them run.
  const QString orphans = "<system cmd='for i in $(seq 150); do (sleep 0.0$((i % 10)) &amp;); done'/>\n";
  QString execs;
  for (int i = 0; i < 5; ++i)
    execs += QString("<exec exe='/bin/sh' exitcodevar='c%1'><arg value='-c'/><arg value='exit 3'/></exec>\n").arg(i);
  job.writeTasks(orphans + execs +
                 job.inDir("<system cmd='sleep 1'/>\n"
                           "<exec exe='/bin/sh' catchoutput='yes' output='DIR/zombies'><arg value='-c'/>"
                           "<arg value='ps -o stat= --ppid $PPID | grep -c Z'/></exec>\n"
                           "<echo message='codes ${c0} ${c1} ${c2} ${c3} ${c4}'/>"));
  const RunResult r = job.runJob();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] codes 3 3 3 3 3\r\n")) << qPrintable(r.log);
  EXPECT_EQ("0\n", job.read("zombies"));
}

TEST(StopEndToEnd, AProcessWhoseMainThreadEndedIsStillEndedWithItsChild) {
  StopJob job;
  ASSERT_READY(job);
  job.writeTasks(job.inDir("<exec exe='" VARKEL_BINARY_DIR "/leader_exits' show='no'><arg value='DIR'/></exec>"));
  const RunResult r = job.runAndStop({"-job", "job.xml"}, "TERM");
  EXPECT_EQ(kSigTerm, r.endSignal);
  job.expectEnded({"script.pid", "child.pid"});
}

TEST(StopEndToEnd, WithoutProcAStopStillEndsTheProgramsTheRunStarted) {
  StopJob job;
  ASSERT_READY(job);
  QProcess probe;
  probe.start("unshare", {"--mount", "--propagation", "private", "true"});
  if (!probe.waitForFinished(kRunTimeoutMs) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
    GTEST_SKIP() << "no mount namespace of our own here";
  // An empty /proc in a mount namespace of the run's own.
  job.write("no-proc.sh",
            "#!/bin/sh\nexec unshare --mount --propagation private sh -c "
            "'mount -t tmpfs none /proc || exit 97; exec \"$0\" \"$@\"' \"$@\"\n",
            true);
  job.setLauncher(job.path("no-proc.sh"));
  job.write("sleeper.sh", kReadySleeper, true);
  job.writeTasks(job.inDir("<exec exe='DIR/sleeper.sh' show='no'/>"));
  const RunResult r = job.runAndStop({"-job", "job.xml"}, "TERM");
  EXPECT_EQ(kSigTerm, r.endSignal) << "exit code " << r.exitCode;
  EXPECT_TRUE(r.logHas("[Mgr] The processes of the system cannot be listed (no /proc): a stop can end only the "
                       "programs that the run starts itself, not what they start.\r\n"))
      << qPrintable(r.log);
  job.expectEnded({"sleep.pid"});
}

TEST(StopEndToEnd, AProgramOnTheConsoleReadsTheProgramsInput) {
  StopJob job;
  ASSERT_READY(job);
  job.setInput("hello\n");
  job.writeTasks("<exec exe='/bin/sh' show='false'><arg value='-c'/><arg value='read x; echo got:$x'/></exec>");
  const RunResult r = job.runJob();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.out.contains("got:hello\n")) << qPrintable(r.out);
}

const char kStoppedLine[] = "[Mgr] Finish. The run was stopped by the signal SIGTERM. Result 30 leaves the process with exit code 143.";

// The items "1,2,...,count" of a loop.
QString items(int count) {
  QStringList list;
  for (int i = 1; i <= count; ++i) list << QString::number(i);
  return list.join(',');
}

TEST(StopEndToEnd, AConsoleThatNoOneReadsHoldsNoStopUp) {
  StopJob job;
  ASSERT_READY(job);
  // Standard output and error into one pipe whose reader never reads; the launcher's exit
  // code is the program's.
  job.write("unread.sh",
            "#!/bin/sh\nmkfifo DIR/console\nsleep 300 < DIR/console &\nreader=$!\n"
            "\"$@\" > DIR/console 2>&1 &\necho $! > DIR/varkel.pid\nwait $!\nrc=$?\nkill $reader\nexit $rc\n",
            true);
  job.setLauncher(job.path("unread.sh"));
  job.write("sleeper.sh", "#!/bin/sh\necho $$ > DIR/sleep.pid\nexec sleep 300\n", true);
  // The loop's lines fill the pipe long before it ends.
  job.writeTasks(job.inDir("<exec exe='DIR/sleeper.sh' waittime='1'/>\n<foreach item='i' in='" + items(200) +
                           "'><foreach item='j' in='" + items(200) +
                           "'><echo message='line #{i}.#{j} of a console that no one reads'/></foreach></foreach>"));
  QProcess p;
  job.start(p, {"-job", "job.xml"});
  // Stuck in a console write once the loop has begun and the log stops growing.
  const QString log = job.path("logs/build_system.log");
  qint64 size = -1;
  for (int i = 0; i < 200 && (!job.read("logs/build_system.log").contains("line 1.20 of") || QFileInfo(log).size() != size);
       ++i) {
    size = QFileInfo(log).size();
    QThread::msleep(300);
  }
  const QString pid = job.read("varkel.pid").trimmed();
  ASSERT_GT(pid.toInt(), 0);
  sendSignal("TERM", pid.toLongLong());
  const RunResult r = job.finish(p);
  EXPECT_EQ(143, r.exitCode) << "the launcher passes on the program's death by SIGTERM";
  EXPECT_TRUE(lastLogLine(r).endsWith(kStoppedLine)) << qPrintable(lastLogLine(r));
  EXPECT_FALSE(r.logHas("did not wind up"));
  job.expectEnded({"sleep.pid"});
}

// The person asked the run to end: it fails, but no sound plays and no box waits.
TEST(StopEndToEnd, AStoppedRunFailsWithoutASoundOrABox) {
  StopJob job;
  ASSERT_READY(job);
  job.write("bin/paplay", "#!/bin/sh\necho \"$@\" >> DIR/played.txt\n", true);
  job.setEnv("PATH", job.path("bin") + ":" + QProcessEnvironment::systemEnvironment().value("PATH"));
  job.write("error.wav", "RIFF");
  job.write("success.wav", "RIFF");
  job.write("sleeper.sh", kReadySleeper, true);
  job.writeTasks(job.inDir("<setvar name='play.sound.when.complete' value='true'/>\n"
                           "<setvar name='show.message.when.complete' value='true'/>\n"
                           "<exec exe='DIR/sleeper.sh' show='no'/>"));
  const RunResult r = job.runAndStop({"-job", "job.xml"}, "TERM");
  EXPECT_EQ(kSigTerm, r.endSignal);
  EXPECT_TRUE(r.logHas("[Mgr] Finish. Show message: 1. Play sound: 1. Result: 30\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(lastLogLine(r).endsWith(kStoppedLine)) << qPrintable(lastLogLine(r));
  EXPECT_FALSE(QFileInfo::exists(job.path("played.txt")));
  EXPECT_FALSE(r.err.contains("BUILD SYSTEM")) << qPrintable(r.err);
  job.expectEnded({"sleep.pid"});
}

TEST(StopEndToEnd, AHastenedStopEndsTheLogWithBothSignals) {
  if (testing_support::ignoresSignal(kSigInt)) GTEST_SKIP() << "SIGINT is ignored here, and so by the program";
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    StopJob job;
    ASSERT_READY(job);
    // Ignores SIGTERM, as do the programs it starts: only SIGKILL after the grace ends them.
    // "ready" is put together as the command runs: the task's logged details must not say it.
    job.writeTasks(
        "<system cmd=\"trap '' TERM; printf 'rea%sdy\\n' ''; sleep 100; echo after\"/>\n<echo message='next'/>");
    QProcess p;
    job.start(p, {"-job", "job.xml"});
    ASSERT_TRUE(job.waitForOutput(p, "ready"));
    sendSignal("TERM", p.processId());
    QThread::msleep(1300);
    sendSignal("INT", p.processId());
    const RunResult r = job.finish(p);
    EXPECT_EQ(kSigTerm, r.endSignal);
    const QString last = lastLogLine(r);
    EXPECT_TRUE(last.contains("[Mgr] Finish. Another stop signal, SIGINT, came ")) << qPrintable(r.log);
    EXPECT_TRUE(last.endsWith(" ms after SIGTERM: the run was ended at once. The process ends by the signal SIGTERM "
                              "(exit code 143)."))
        << qPrintable(last);
    EXPECT_FALSE(r.logHas("[Echo] next"));
  }
}

TEST(StopEndToEnd, StopsAtAnyMomentOfALoopOfProgramsEndEveryOneOfThem) {
  std::mt19937 random(20261211);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    StopJob job;
    ASSERT_READY(job);
    // Each program ignores SIGTERM once it runs, and leaves behind one that ignores it from
    // its start and would live on: the grace and SIGKILL end them.
    job.writeTasks(job.inDir("<foreach item='i' in='" + items(1000) +
                             "'><exec exe='/bin/sh' show='no'><arg value='-c'/>"
                             "<arg value=\"trap '' TERM; echo $$ >> DIR/pids; sleep 100 &amp; echo $! >> DIR/pids; "
                             "[ #{i} = 1 ] &amp;&amp; printf 'rea%sdy\\n' ''; sleep 0.05\"/></exec></foreach>"));
    QProcess p;
    job.start(p, {"-job", "job.xml"});
    ASSERT_TRUE(job.waitForOutput(p, "ready"));
    QThread::msleep(std::uniform_int_distribution<int>(0, 400)(random));
    sendSignal("TERM", p.processId());
    const RunResult r = job.finish(p);
    EXPECT_EQ(kSigTerm, r.endSignal);
    EXPECT_TRUE(lastLogLine(r).endsWith(kStoppedLine)) << qPrintable(lastLogLine(r));
    for (const QString& pid : job.read("pids").split('\n', Qt::SkipEmptyParts))
      EXPECT_TRUE(testing_support::processEnds(pid, 0)) << "still running: " << pid.toStdString();
    if (HasFailure()) break;
  }
}

TEST(StopEndToEnd, AnExecStartedAgainWhileItsEarlierProgramRunsStartsItsOwn) {
  StopJob job;
  ASSERT_READY(job);
  job.writeTasks(job.inDir(
      "<foreach item='i' in='1,2,3'><exec exe='/bin/sh' waittime='200' exitcodevar='code' waitresultvar='ended'>"
      "<arg value='-c'/><arg value='echo $$ >> DIR/pids; [ #{i} = 3 ] &amp;&amp; exit 3; sleep 0.5'/></exec>"
      "</foreach>\n<echo message='last ${code} ${ended}'/>"));
  const RunResult r = job.runJob();
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_EQ(3, job.read("pids").split('\n', Qt::SkipEmptyParts).size());
  EXPECT_TRUE(r.logHas("[Echo] last 3 true\r\n")) << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("Failed to starte process"));
}

}  // namespace
