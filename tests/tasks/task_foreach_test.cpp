#include "tasks/task_foreach.h"

#include "task_test_support.h"
#include "tasks/task_exit.h"
#include "tasks/task_foreach_break.h"
#include "tasks/task_foreach_continue.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

std::unique_ptr<TaskForeach> makeLoop(std::uint64_t id, const QString& in, const QString& item = QString()) {
  auto loop = std::make_unique<TaskForeach>(id, nullptr);
  EXPECT_EQ(0, loop->getPropertiesSetter()->setString("in", in));
  if (!item.isNull()) {
    EXPECT_EQ(0, loop->getPropertiesSetter()->setString("item", item));
  }
  return loop;
}

QStringList starts(const QStringList& journal) { return journal.filter(QRegExp("^start:")); }

TEST(TaskForeachTest, SplitsTrimsAndUnquotesTheItems) {
  struct Case {
    const char* in;
    const char* item;
    QStringList expected;
  };
  const Case cases[] = {
      {"a, ,b,,c", nullptr, {"start:a", "start:b", "start:c"}},
      {"'a,b'", " \"it\" ", {"start:a", "start:b"}},
      {"\" 'x, y' \"", "", {"start:x", "start:y"}},
      {"${list}", nullptr, {"start:1", "start:2"}},
      // An item that holds a reference to its own name is kept: it is read through "#{}".
      {"${item}/a", nullptr, {"start:${item}/a"}},
      {"", nullptr, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("list", "1,2"));
    auto loop = makeLoop(1, c.in, c.item);
    const QString name = c.item && QString(c.item).trimmed() == "\"it\"" ? "it" : "item";
    addNew<RecordingTask>(loop.get(), 2, "child", &f.journal)->setLabel("#{" + name + "}");
    EXPECT_EQ(0, f.run(loop.get()));
    EXPECT_EQ(c.expected, starts(f.journal));
  }
}

TEST(TaskForeachTest, LogsWhatItIsAboutToDo) {
  ScopedLogCapture capture(logger::LogInfo);
  RunFixture f;
  auto loop = makeLoop(7, "a,b", "i");
  EXPECT_EQ(0, loop->start(&f.expander, &f.variables, &f.variables, nullptr, nullptr));
  EXPECT_EQ(QStringList({"Try to process internal tasks. \r\n    Items: 'a,b'.\r\n    Item name: 'i'.\r\n"
                         "    Number of child tasks: 0.\r\n    Task ID: 7"}),
            capture.log().texts());
  EXPECT_EQ("Foreach", capture.log().entries[0].tag);
}

TEST(TaskForeachTest, BreakEndsTheLoopAndContinueThePass) {
  struct Case {
    const char* name;
    bool isBreak;
    QStringList expected;
  };
  const Case cases[] = {
      {"break", true, {"start:a1", "start:a2", "start:b1"}},
      {"continue", false, {"start:a1", "start:a2", "start:b1", "start:c1", "start:c2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunFixture f;
    auto loop = makeLoop(1, "a,b,c");
    addNew<RecordingTask>(loop.get(), 2, "first", &f.journal)->setLabel("#{item}1");
    ITask* jump = c.isBreak ? static_cast<ITask*>(new TaskForeachBreak(3, nullptr))
                            : static_cast<ITask*>(new TaskForeachContinue(3, nullptr));
    jump->setCondition("#{item}");
    jump->setResultVar("jumped");
    EXPECT_EQ(0, loop->addChild(jump));
    addNew<RecordingTask>(loop.get(), 4, "second", &f.journal)->setLabel("#{item}2");
    f.handler.evaluate = [](const QString& text, bool& result) {
      result = text.isEmpty() || text == "b";
      return 0;
    };
    EXPECT_EQ(0, f.run(loop.get()));
    EXPECT_EQ(c.expected, starts(f.journal));
    EXPECT_EQ("0", f.var("jumped"));
  }
}

TEST(TaskForeachTest, NestedLoopsBreakOnlyTheInnerOne) {
  RunFixture f;
  auto outer = makeLoop(1, "x,y", "i");
  auto* inner = addNew<TaskForeach>(outer.get(), 2, nullptr);
  EXPECT_EQ(0, inner->getPropertiesSetter()->setString("in", "1,2,3"));
  EXPECT_EQ(0, inner->getPropertiesSetter()->setString("item", "j"));
  addNew<RecordingTask>(inner, 3, "body", &f.journal)->setLabel("#{i}#{j}");
  auto* stop = addNew<TaskForeachBreak>(inner, 4, nullptr);
  stop->setCondition("#{j}");
  f.handler.evaluate = [](const QString& text, bool& result) {
    result = text.isEmpty() || text == "2";
    return 0;
  };
  addNew<RecordingTask>(outer.get(), 5, "after", &f.journal)->setLabel("#{i}-done");
  EXPECT_EQ(0, f.run(outer.get()));
  EXPECT_EQ(QStringList({"start:x1", "start:x2", "start:x-done", "start:y1", "start:y2", "start:y-done"}),
            starts(f.journal));
}

TEST(TaskForeachTest, BreakReachesOnlyItsDirectParent) {
  RunFixture f;
  auto loop = makeLoop(1, "a,b");
  auto* group = addNew<RecordingTask>(loop.get(), 2, "group", &f.journal);
  group->setLabel("#{item}");
  addNew<TaskForeachBreak>(group, 3, nullptr);
  EXPECT_EQ(0, f.run(loop.get()));
  EXPECT_EQ(QStringList({"start:a", "start:b"}), starts(f.journal));
}

TEST(TaskForeachTest, ExitInsideTheLoopStopsEverything) {
  RunFixture f;
  auto outer = makeLoop(1, "x,y");
  auto* inner = addNew<TaskForeach>(outer.get(), 2, nullptr);
  EXPECT_EQ(0, inner->getPropertiesSetter()->setString("in", "1,2,3"));
  EXPECT_EQ(0, inner->getPropertiesSetter()->setString("item", "j"));
  addNew<RecordingTask>(inner, 3, "body", &f.journal)->setLabel("#{item}#{j}");
  auto* exit = addNew<TaskExit>(inner, 4, nullptr);
  exit->setCondition("#{j}");
  addNew<RecordingTask>(inner, 5, "tail", &f.journal)->setLabel("tail#{j}");
  f.handler.evaluate = [](const QString& text, bool& result) {
    result = text.isEmpty() || text == "2";
    return 0;
  };
  EXPECT_EQ(0, f.run(outer.get()));
  EXPECT_EQ(QStringList({"start:x1", "start:tail1", "start:x2"}), starts(f.journal));
  EXPECT_EQ("true", f.var("interrupt.tasks"));
}

TEST(TaskForeachTest, FailingChildStopsOrGoesOn) {
  for (const bool stop : {true, false}) {
    SCOPED_TRACE(stop);
    ScopedLogCapture capture(logger::LogWarning);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("interrupt.tasks.on.error", stop ? "true" : "false"));
    auto loop = makeLoop(1, "a,b");
    loop->setResultVar("rc");
    auto* failing = addNew<RecordingTask>(loop.get(), 2, "failing", &f.journal);
    failing->setLabel("fail-#{item}");
    failing->startCode = 8;
    addNew<RecordingTask>(loop.get(), 3, "next", &f.journal)->setLabel("next-#{item}");
    const QStringList expected = stop ? QStringList{"start:fail-a"}
                                      : QStringList{"start:fail-a", "start:next-a", "start:fail-b", "start:next-b"};
    EXPECT_EQ(stop ? 8 : 0, f.run(loop.get()));
    EXPECT_EQ(expected, starts(f.journal));
    EXPECT_EQ(stop ? "8" : "0", f.var("rc"));
    EXPECT_TRUE(capture.log().contains(QString("Failed to process tasks! Processing of following tasks will be ") +
                                       (stop ? "interrupted" : "continued") +
                                       ". Error: 8. Task name: 'failing'. Task ID: 2. "));
  }
}

// A child that interrupts the given task when it runs.
class Interrupter : public RecordingTask {
 public:
  Interrupter(std::uint64_t id, ITask* target, QStringList* journal)
      : RecordingTask(id, "interrupter", journal), target_(target) {}
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override {
    RecordingTask::start(expander, getter, setter, handler, notifications);
    target_->interrupt();
    return 0;
  }

 private:
  ITask* target_;
};

TEST(TaskForeachTest, AnInterruptedLoopStopsWith30) {
  RunFixture f;
  auto loop = makeLoop(1, "a,b");
  loop->setResultVar("rc");
  EXPECT_EQ(0, loop->addChild(new Interrupter(2, loop.get(), &f.journal)));
  addNew<RecordingTask>(loop.get(), 3, "after", &f.journal);
  EXPECT_EQ(30, f.run(loop.get()));
  EXPECT_EQ(QStringList({"start:interrupter"}), starts(f.journal));
  EXPECT_EQ("30", f.var("rc"));
  EXPECT_EQ(30, f.run(loop.get()));  // the runner refuses it from now on
}

TEST(TaskExitTest, NotifiesTheRunAndReturnsZero) {
  struct Case {
    const char* error;  // null: the attribute is missing
    int notification;
    const char* sentLog;
  };
  const Case cases[] = {
      {"yes", 201, "Try send message to interrupt tasks (with error). Task ID: 3"},
      {nullptr, 200, "Try send message to interrupt tasks. Task ID: 3"},
      {"maybe", 200, "Try send message to interrupt tasks. Task ID: 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notification);
    ScopedLogCapture capture(logger::LogInfo);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("why", "done"));
    TaskExit exit(3, nullptr);
    if (c.error) {
      EXPECT_EQ(0, exit.getPropertiesSetter()->setString("error", c.error));
    }
    EXPECT_EQ(0, exit.getPropertiesSetter()->setString("message", " all ${why} "));
    exit.setResultVar("rc");
    EXPECT_EQ(0, exit.start(&f.expander, &f.variables, &f.variables, nullptr, &f.notifications));
    ASSERT_EQ(1u, f.notifications.messages.size());
    EXPECT_EQ(c.notification, f.notifications.messages[0].first);
    EXPECT_EQ("all done", f.notifications.messages[0].second);
    EXPECT_EQ("0", f.var("rc"));
    EXPECT_EQ(QStringList({QString("\r\nError: '") + (c.error ? c.error : "") +
                               "'.\r\n    Message: 'all done'.\r\n    Task ID: 3",
                           c.sentLog}),
              capture.log().texts());
    EXPECT_EQ("Exit", capture.log().entries[0].tag);
  }
}

}  // namespace
