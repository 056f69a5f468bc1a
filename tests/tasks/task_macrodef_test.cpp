#include "tasks/task_macrodef.h"

#include "core/text_helpers.h"
#include "task_test_support.h"
#include "tasks/macrodef_impl.h"
#include "tasks/task_foreach.h"
#include "tasks/task_foreach_break.h"
#include "tasks/task_setvar.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

// A call of the macro with the given parameter values ("macrodef.<name>").
std::unique_ptr<TaskMacrodef> makeCall(std::uint64_t id, IMacrodef* macrodef,
                                       const std::vector<std::pair<QString, QString>>& parameters) {
  auto call = std::make_unique<TaskMacrodef>(id, macrodef->getName(), nullptr);
  call->setMacrodef(macrodef);
  for (const auto& [name, value] : parameters)
    EXPECT_EQ(0, call->getPropertiesSetter()->setString(macroPropertyName(name), value));
  return call;
}

TEST(TaskMacrodefTest, EachCallRunsTheSameTasksWithItsOwnParameters) {
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("dir", "global"));
  EXPECT_EQ(0, f.variables.set("base", "/b"));
  MacrodefImpl macrodef("mk");
  EXPECT_EQ(0, macrodef.addAttribute("dir"));
  EXPECT_EQ(0, macrodef.addAttribute("mode"));
  auto* task = new RecordingTask(10, "body", &f.journal);
  task->setLabel("@{dir}|${dir}|@{mode}");
  EXPECT_EQ(0, macrodef.addTask(task));

  auto first = makeCall(1, &macrodef, {{"dir", "${base}/one"}, {"mode", "fast"}});
  auto second = makeCall(2, &macrodef, {{"dir", "two"}});  // "mode" missing: empty
  EXPECT_EQ(0, f.run(first.get()));
  EXPECT_EQ(0, f.run(second.get()));
  EXPECT_EQ(QStringList({"start:/b/one|global|fast", "start:two|global|"}),
            f.journal.filter(QRegExp("^start:")));
  EXPECT_EQ("mk", first->getName());
}

TEST(TaskMacrodefTest, ResultAndStopOnError) {
  struct Case {
    const char* name;
    const char* stopOnError;
    const char* failOnError;
    int expected;
    QStringList started;
    QString resultVar;
  };
  const Case cases[] = {
      {"failure stops the macro", "true", "", 4, {"start:a"}, "4"},
      {"failure then success ends with 0", "false", "", 0, {"start:a", "start:b"}, "0"},
      {"fail-on-error off hides the code", "true", "no", 0, {"start:a"}, "4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture(logger::LogWarning);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("interrupt.tasks.on.error", c.stopOnError));
    MacrodefImpl macrodef("m");
    auto* a = new RecordingTask(10, "a", &f.journal);
    a->startCode = 4;
    EXPECT_EQ(0, macrodef.addTask(a));
    EXPECT_EQ(0, macrodef.addTask(new RecordingTask(11, "b", &f.journal)));
    auto call = makeCall(1, &macrodef, {});
    call->setResultVar("rc");
    call->setFailOnError(c.failOnError);
    EXPECT_EQ(c.expected, f.run(call.get()));
    EXPECT_EQ(c.started, f.journal.filter(QRegExp("^start:")));
    EXPECT_EQ(c.resultVar, f.var("rc"));
    const QString verb = QString(c.stopOnError) == "true" ? "interrupted" : "continued";
    EXPECT_TRUE(capture.log().contains("Failed to process tasks! Processing of following tasks will be " + verb +
                                       ". Error: 4. Task name: 'a'. Task ID: 10. "));
  }
}

TEST(TaskMacrodefTest, InterruptedRunOrCallOrMissingDefinition) {
  RunFixture f;
  MacrodefImpl macrodef("m");
  EXPECT_EQ(0, macrodef.addTask(new RecordingTask(10, "a", &f.journal)));
  auto call = makeCall(1, &macrodef, {});
  call->setResultVar("rc");

  EXPECT_EQ(0, f.variables.set("interrupt.tasks", "true"));
  EXPECT_EQ(0, call->start(&f.expander, &f.variables, &f.variables, nullptr, nullptr));
  EXPECT_EQ("0", f.var("rc"));
  EXPECT_TRUE(f.journal.isEmpty());

  EXPECT_EQ(0, f.variables.set("interrupt.tasks", "false"));
  call->interrupt();
  EXPECT_EQ(30, call->start(&f.expander, &f.variables, &f.variables, nullptr, nullptr));
  EXPECT_EQ("30", f.var("rc"));

  TaskMacrodef orphan(2, "m", nullptr);
  EXPECT_EQ(310, orphan.start(&f.expander, &f.variables, &f.variables, nullptr, nullptr));
}

// A macro "down" with the parameter n whose body records n and then calls itself
// with n one letter longer, under the condition "@{n}". The handler's condition
// holds while the text is shorter than `limit`, so the deepest call is number `limit`.
struct RecursiveMacro {
  RecursiveMacro() : macrodef("down") {
    EXPECT_EQ(0, macrodef.addAttribute("n"));
    auto* record = new TaskSetvar(10, nullptr);
    EXPECT_EQ(0, record->getPropertiesSetter()->setString("varName", "deepest"));
    EXPECT_EQ(0, record->getPropertiesSetter()->setString("varValue", "@{n}"));
    EXPECT_EQ(0, macrodef.addTask(record));
    auto* self = new TaskMacrodef(11, "down", nullptr);
    self->setMacrodef(&macrodef);
    self->setCondition("@{n}");
    EXPECT_EQ(0, self->getPropertiesSetter()->setString(macroPropertyName("n"), "@{n}x"));
    EXPECT_EQ(0, macrodef.addTask(self));
  }
  int run(RunFixture& f, int limit) {
    f.handler.evaluate = [limit](const QString& text, bool& result) {
      result = limit < 0 || text.size() < limit;
      return 0;
    };
    auto call = makeCall(1, &macrodef, {{"n", "x"}});
    return f.run(call.get());
  }
  MacrodefImpl macrodef;
};

TEST(TaskMacrodefTest, RecursionThatAConditionEndsRunsToItsEnd) {
  ScopedLogCapture capture(logger::LogError);
  RecursiveMacro macro;
  for (int limit : {3, TaskMacrodef::kMaxNesting}) {
    RunFixture f;
    EXPECT_EQ(0, macro.run(f, limit));
    EXPECT_EQ(QString(limit, 'x'), f.var("deepest"));
  }
  EXPECT_TRUE(capture.log().entries.empty());
}

TEST(TaskMacrodefTest, RecursionBeyondTheLimitFailsWith311) {
  for (int limit : {TaskMacrodef::kMaxNesting + 1, -1}) {
    SCOPED_TRACE(limit);
    ScopedLogCapture capture(logger::LogError);
    RunFixture f;
    RecursiveMacro macro;
    EXPECT_EQ(311, macro.run(f, limit));
    EXPECT_EQ(QString(TaskMacrodef::kMaxNesting, 'x'), f.var("deepest"));
    const QString tooDeep = "Macro calls are nested too deeply (limit 256). Macro: 'down'. Task ID: 11";
    ASSERT_TRUE(capture.log().contains(tooDeep));
    EXPECT_EQ(1, capture.log().texts().count(tooDeep));
    EXPECT_EQ("Macrodef", capture.log().entries[0].tag);

    // The limit counts nesting, not calls: the next run starts from the top again.
    RunFixture again;
    EXPECT_EQ(0, macro.run(again, 5));
  }
}

TEST(TaskMacrodefTest, LoopInARecursiveMacroKeepsItsOwnBreak) {
  // walk(n): foreach a,b: record, walk(n + "x") while n is short, break at the deepest level.
  RunFixture f;
  MacrodefImpl macrodef("walk");
  EXPECT_EQ(0, macrodef.addAttribute("n"));
  auto* loop = new TaskForeach(10, nullptr);
  EXPECT_EQ(0, loop->getPropertiesSetter()->setString("in", "a,b"));
  EXPECT_EQ(0, macrodef.addTask(loop));
  addNew<RecordingTask>(loop, 11, "record", &f.journal)->setLabel("@{n}#{item}");
  auto* self = addNew<TaskMacrodef>(loop, 12, "walk", nullptr);
  self->setMacrodef(&macrodef);
  self->setCondition("@{n}");
  EXPECT_EQ(0, self->getPropertiesSetter()->setString(macroPropertyName("n"), "@{n}x"));
  addNew<TaskForeachBreak>(loop, 13, nullptr)->setCondition("@{n}!");
  f.handler.evaluate = [](const QString& text, bool& result) {
    result = text.endsWith('!') ? text.size() == 3 : text.size() < 2;
    return 0;
  };
  auto call = makeCall(1, &macrodef, {{"n", "x"}});
  EXPECT_EQ(0, f.run(call.get()));
  EXPECT_EQ(QStringList({"start:xa", "start:xxa", "start:xb", "start:xxa"}), f.journal.filter(QRegExp("^start:")));
}

}  // namespace
