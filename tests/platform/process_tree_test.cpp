// The processes below the test's own, ended by the layer: children of children
// included, SIGKILL for those that outlast SIGTERM, all of them gone when it returns.

#include "core/process_helper.h"
#include "platform/process_tree.h"
#include "platform/shell_command.h"
#include "test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kShellStartMs = 60000;
// Short, so that the processes that ignore SIGTERM meet SIGKILL soon.
constexpr int kGraceMs = 200;

TEST(ProcessTreeTest, EndsEveryDescendantWithItsChildren) {
  const struct {
    const char* name;
    const char* script;  // prints the child's id and its own, then waits
  } cases[] = {
      {"a shell waiting for its child", "sleep 300 & echo $! $$; wait"},
      {"both ignore SIGTERM", "trap '' TERM; sleep 300 & echo $! $$; wait"},
      {"a stopped child", "sleep 300 & kill -STOP $!; echo $! $$; wait"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QProcess shell;
    shell.start("/bin/sh", {"-c", c.script});
    ASSERT_TRUE(shell.waitForReadyRead(kShellStartMs));
    const QStringList pids = QString::fromLatin1(shell.readLine()).simplified().split(' ');
    ASSERT_EQ(2, pids.size());
    EXPECT_GE(platform::endDescendants(kGraceMs), 2);
    for (const QString& pid : pids)
      EXPECT_TRUE(testing_support::processEnds(pid, 0)) << "still running: " << pid.toStdString();
    EXPECT_TRUE(shell.waitForFinished(kShellStartMs));
  }
}

// Orphans are reaped from another thread at any moment; a child that the program started
// keeps its exit status for the one that waits for it, from the instant it exists.
TEST(ProcessTreeTest, ReapingOrphansNeverTakesTheStatusOfAChildTheProgramStarted) {
  std::atomic<bool> done{false};
  std::thread reaper([&done] {
    while (!done.load()) platform::reapOrphans();
  });
  ProcessHelper helper;
  for (int i = 0; i < 100; ++i) {
    int shellCode = 0;
    EXPECT_EQ(0u, platform::runShellCommand(QStringLiteral("exit 3"), shellCode));
    EXPECT_EQ(3, shellCode);
    int exitCode = 0;
    bool finished = false;
    EXPECT_EQ(0, helper.run(&exitCode, &finished, QStringLiteral("/bin/sh"), {"-c", "exit 4"}, QString(), 0, true,
                            false, QString(), QProcessEnvironment()));
    EXPECT_EQ(4, exitCode);
    EXPECT_TRUE(finished);
    if (HasFailure()) break;
  }
  done.store(true);
  reaper.join();
}

// After a stop's sweep, a child that starts is ended as a swept one: SIGTERM once its
// program runs, where no handler of ours can take it, and SIGKILL after the grace when it
// ignores that. In a process of its own, since every later child of that process is ended.
bool childrenStartedAfterASweepAreEnded() {
  platform::sweepForStop(kGraceMs);
  int exitCode = 0;
  int endSignal = 0;
  bool ended = platform::runShellCommand(QStringLiteral("exec sleep 100"), exitCode, &endSignal) == 0 && endSignal == 15;
  // Inherited through exec: the programs ignore SIGTERM from their first instruction on.
  std::signal(SIGTERM, SIG_IGN);
  ended = ended && platform::runShellCommand(QStringLiteral("exec sleep 100"), exitCode, &endSignal) == 0 &&
          endSignal == 9;
  ProcessHelper helper;
  bool finished = false;
  return ended &&
         helper.run(&exitCode, &finished, QStringLiteral("/bin/sleep"), {"100"}, QString(), 0, true, false, QString(),
                    QProcessEnvironment()) == 0 &&
         finished && helper.endSignal() == 9;
}

TEST(ProcessTreeTest, AChildStartedAfterTheStopsSweepIsEndedAsASweptOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(childrenStartedAfterASweepAreEnded() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

}  // namespace
