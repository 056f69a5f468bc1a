// The processes below the test's own, ended by the layer: children of children
// included, SIGKILL for those that outlast SIGTERM, all of them gone when it returns.

#include "platform/process_tree.h"
#include "test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

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

}  // namespace
