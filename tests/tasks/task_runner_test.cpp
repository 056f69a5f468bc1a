#include "tasks/task_runner.h"

#include "task_test_support.h"
#include "tasks/task_exit.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

// Root(1) with children A(2) and B(4); A has the child A1(3).
struct Tree {
  explicit Tree(QStringList* journal) : root(std::make_shared<RecordingTask>(1, "Root", journal)) {
    a = addNew<RecordingTask>(root.get(), 2, "A", journal);
    a1 = addNew<RecordingTask>(a, 3, "A1", journal);
    b = addNew<RecordingTask>(root.get(), 4, "B", journal);
  }
  std::shared_ptr<RecordingTask> root;
  RecordingTask* a;
  RecordingTask* a1;
  RecordingTask* b;
};

TEST(TaskRunnerTest, RunsConditionPreStartChildrenThenStartDepthFirst) {
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("x", "if-"));
  Tree t(&f.journal);
  for (RecordingTask* task : {t.root.get(), t.a, t.a1, t.b}) task->setCondition("${x}" + task->getName());

  EXPECT_EQ(0, f.run(t.root.get()));
  EXPECT_EQ(QStringList({"condition:if-Root", "preStart:Root", "condition:if-A", "preStart:A", "condition:if-A1",
                         "preStart:A1", "start:A1", "start:A", "condition:if-B", "preStart:B", "start:B",
                         "start:Root"}),
            f.journal);
}

TEST(TaskRunnerTest, InterruptionSkipsOrRefuses) {
  struct Case {
    const char* name;
    const char* interruptTasks;  // null: the variable is missing
    bool nullGetter;
    bool taskInterrupted;
    int expected;
    bool runs;
  };
  const Case cases[] = {
      {"false runs", "false", false, false, 0, true},
      {"true skips", "true", false, false, 0, false},
      {"missing skips", nullptr, false, false, 0, false},
      {"no getter skips", "false", true, false, 0, false},
      {"interrupted task refused", "false", false, true, 30, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    RunFixture f;
    if (c.interruptTasks)
      EXPECT_EQ(0, f.variables.set("interrupt.tasks", c.interruptTasks));
    else
      EXPECT_EQ(0, f.variables.remove("interrupt.tasks"));
    RecordingTask task(1, "T", &f.journal);
    if (c.taskInterrupted) task.interrupt();
    const int code = startTask("Mgr", &task, &f.expander, c.nullGetter ? nullptr : &f.variables, &f.variables,
                               &f.handler, &f.notifications, &f.preprocessor);
    EXPECT_EQ(c.expected, code);
    EXPECT_EQ(c.runs, f.journal.contains("start:T"));
    if (!c.runs) {
      EXPECT_TRUE(capture.log().entries.empty());
    }
  }
  EXPECT_EQ(3, startTask("Mgr", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(TaskRunnerTest, ConditionDecidesWhetherTheTaskRuns) {
  RunFixture f;
  Tree t(&f.journal);
  t.root->setCondition("no");
  f.handler.evaluate = [](const QString& text, bool& result) {
    if (text == "broken") return 2001;
    result = text != "no";
    return 0;
  };
  EXPECT_EQ(0, f.run(t.root.get()));
  EXPECT_EQ(QStringList({"condition:no"}), f.journal);

  f.journal.clear();
  t.root->setCondition("broken");
  EXPECT_EQ(2001, f.run(t.root.get()));
  EXPECT_EQ(QStringList({"condition:broken"}), f.journal);

  // Without a handler the condition is not evaluated and the task runs.
  f.journal.clear();
  EXPECT_EQ(0, startTask("Mgr", t.b, &f.expander, &f.variables, &f.variables, nullptr, nullptr, nullptr));
  EXPECT_EQ(QStringList({"preStart:B", "start:B"}), f.journal);
}

TEST(TaskRunnerTest, FailuresAndStopOnError) {
  struct Case {
    const char* name;
    const char* stopOnError;
    int preStartRoot, startA, startB;
    int expected;
    QStringList journal;
    QStringList logs;
  };
  const QString childFailed = "Failed to start child task! Error: 5. Child task name: 'A'. Child task ID: 2. Task ID: 1";
  const QString preStartFailed = "Failed to 'preStart' task. Error: 7. Task ID: 1";
  const Case cases[] = {
      {"failing child stops siblings and start", "true", 0, 5, 0, 5,
       {"preStart:Root", "preStart:A", "preStart:A1", "start:A1", "start:A"},
       {childFailed,
        "Failed to process child tasks! Error: 5. Stop tasks on error: 1. Task name: 'Root'. Task ID: 1. "}},
      {"failing child, go on: the last child's code counts", "false", 0, 5, 0, 0,
       {"preStart:Root", "preStart:A", "preStart:A1", "start:A1", "start:A", "preStart:B", "start:B", "start:Root"},
       {childFailed}},
      {"last child fails, go on: start still runs", "false", 0, 0, 6, 0,
       {"preStart:Root", "preStart:A", "preStart:A1", "start:A1", "start:A", "preStart:B", "start:B", "start:Root"},
       {"Failed to start child task! Error: 6. Child task name: 'B'. Child task ID: 4. Task ID: 1",
        "Failed to process child tasks! Error: 6. Stop tasks on error: 0. Task name: 'Root'. Task ID: 1. "}},
      {"failing preStart stops the task", "yes", 7, 0, 0, 7, {"preStart:Root"}, {preStartFailed}},
      {"failing preStart, go on", "no", 7, 0, 0, 0,
       {"preStart:Root", "preStart:A", "preStart:A1", "start:A1", "start:A", "preStart:B", "start:B", "start:Root"},
       {preStartFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture(logger::LogWarning);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("interrupt.tasks.on.error", c.stopOnError));
    Tree t(&f.journal);
    t.root->preStartCode = c.preStartRoot;
    t.a->startCode = c.startA;
    t.b->startCode = c.startB;
    EXPECT_EQ(c.expected, f.run(t.root.get()));
    EXPECT_EQ(c.journal, f.journal.filter(QRegExp("^(preStart|start):")));
    EXPECT_EQ(c.logs, capture.log().texts().filter(QRegExp("^Failed")));
  }
}

TEST(TaskRunnerTest, FailingPreStartWithoutChildrenIsReportedOnce) {
  ScopedLogCapture capture(logger::LogWarning);
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("interrupt.tasks.on.error", "false"));
  RecordingTask task(1, "T", &f.journal);
  task.preStartCode = 9;
  EXPECT_EQ(0, f.run(&task));
  EXPECT_EQ(QStringList({"Failed to 'preStart' task. Error: 9. Task ID: 1",
                         "Failed to process child tasks! Error: 9. Stop tasks on error: 0. Task name: 'T'. Task ID: 1. "}),
            capture.log().texts());
  EXPECT_TRUE(f.journal.contains("start:T"));
}

// Loops and macro calls nest runs inside runs; past the bound the run fails instead of
// overflowing the stack, and the tasks above report the failure.
TEST(TaskRunnerTest, TasksNestedTooDeeplyFail) {
  for (const int depth : {kMaxTaskNesting, kMaxTaskNesting + 1}) {
    SCOPED_TRACE(depth);
    RunFixture f;
    ScopedLogCapture capture(logger::LogError);
    auto root = std::make_unique<RecordingTask>(1, "T1", nullptr);
    ITask* parent = root.get();
    for (int i = 2; i <= depth; ++i) parent = addNew<RecordingTask>(parent, i, "T" + QString::number(i), nullptr);
    const int code = f.run(root.get());
    if (depth <= kMaxTaskNesting) {
      EXPECT_EQ(0, code);
      EXPECT_TRUE(capture.log().entries.empty());
    } else {
      EXPECT_EQ(kTasksNestedTooDeeply, code);
      EXPECT_TRUE(capture.log().contains(QString("Tasks are nested too deeply (limit %1). Task name: 'T%2'. Task ID: %2")
                                             .arg(kMaxTaskNesting)
                                             .arg(kMaxTaskNesting + 1)));
    }
  }
}

TEST(TaskRunnerTest, ContainerRunsItsOwnChildren) {
  RunFixture f;
  RecordingContainer container(1, "C", &f.journal);
  addNew<RecordingTask>(&container, 2, "Inner", &f.journal);
  EXPECT_EQ(0, f.run(&container));
  EXPECT_EQ(QStringList({"condition:", "preStart:C", "start:C"}), f.journal);
}

TEST(TaskRunnerTest, ExitAmongChildrenStopsSiblingsAndParentStart) {
  ScopedLogCapture capture(logger::LogWarning);
  RunFixture f;
  Tree t(&f.journal);
  // Root: A, Exit, B.
  EXPECT_EQ(0, t.root->clearChildren());
  EXPECT_EQ(0, t.root->addChild(new RecordingTask(2, "A", &f.journal)));
  EXPECT_EQ(0, t.root->addChild(new TaskExit(3, nullptr)));
  EXPECT_EQ(0, t.root->addChild(new RecordingTask(4, "B", &f.journal)));
  EXPECT_EQ(0, f.run(t.root.get()));
  EXPECT_EQ(QStringList({"preStart:Root", "preStart:A", "start:A"}), f.journal.filter(QRegExp("^(preStart|start):")));
  ASSERT_EQ(1u, f.notifications.messages.size());
  EXPECT_EQ(200, f.notifications.messages[0].first);
  EXPECT_EQ(QStringList({"Processing of tasks was interrupted! Task name: 'Root'. Task ID: 1. "}), capture.log().texts());
}

TEST(TaskRunnerTest, ProjectTaskIsPreparedOnceForItsName) {
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("app", "App"));
  RecordingProjectTask task(1, "Build", &f.journal);
  EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", " ${app} "));

  EXPECT_EQ(0, f.run(&task));
  EXPECT_EQ(QStringList({"App"}), f.preprocessor.prepared);
  EXPECT_TRUE(f.journal.contains("start:Build"));

  // Prepared for the same name (in any case): not again.
  EXPECT_EQ(0, task.getPropertiesSetter()->setString("currentProjectName", "APP"));
  EXPECT_EQ(0, f.run(&task));
  EXPECT_EQ(QStringList({"App"}), f.preprocessor.prepared);

  // The name now expands to another project: prepared again.
  EXPECT_EQ(0, f.variables.set("app", "Lib"));
  EXPECT_EQ(0, f.run(&task));
  EXPECT_EQ(QStringList({"App", "Lib"}), f.preprocessor.prepared);
}

TEST(TaskRunnerTest, ProjectTaskFailures) {
  {
    ScopedLogCapture capture;
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("blank", "   "));
    RecordingProjectTask task(7, "Build", &f.journal);
    EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", "${blank}"));
    EXPECT_EQ(314, f.run(&task));
    EXPECT_TRUE(f.journal.isEmpty());
    EXPECT_TRUE(capture.log().contains("Project name is not defined! Original project name: '${blank}'. Current "
                                       "project name: ''. Task name: 'Build'. Task ID: 7. "));
  }
  {
    ScopedLogCapture capture;
    RunFixture f;
    f.preprocessor.code = 401;
    RecordingProjectTask task(7, "Build", &f.journal);
    EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", "app"));
    EXPECT_EQ(401, f.run(&task));
    EXPECT_TRUE(f.journal.isEmpty());
    EXPECT_TRUE(capture.log().contains("Failed to prepare project task. Error: 401. Project name: 'app'. Original "
                                       "project name: 'app'. Current project name: ''. Task name: 'Build'. Task ID: 7. "));
  }
  {
    ScopedLogCapture capture;
    RunFixture f;
    RecordingProjectTask task(7, "Build", &f.journal);
    EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", "app"));
    EXPECT_EQ(0, startTask("Mgr", &task, nullptr, &f.variables, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(f.journal.contains("start:Build"));
    EXPECT_TRUE(capture.log().contains(
        "'Task Project Preprocessor' is not defined! Project name: 'app'. Task name: 'Build'. Task ID: 7. "));
  }
}

TEST(TaskRunnerTest, DetailsBlockWordForWord) {
  ScopedLogCapture capture(logger::LogInfo);
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("c", "why"));
  RecordingTask parent(1, "Parent", nullptr);
  auto* task = addNew<RecordingTask>(&parent, 2, "Child", nullptr);
  task->setComment(" ${c} ");
  task->setResultVar("rv");
  task->setFailOnError("no");
  task->setFile("/jobs/job.xml");
  EXPECT_EQ(0, task->getPropertiesSetter()->setInt("count", 3));
  EXPECT_EQ(0, f.run(task, "Tag"));
  ASSERT_FALSE(capture.log().entries.empty());
  EXPECT_EQ("Tag", capture.log().entries[0].tag);
  EXPECT_EQ(QString("Try to start task:\r\n"
                    "    ID: 2\r\n"
                    "    Name: 'Child'\r\n"
                    "    Comment: 'why'\r\n"
                    "    Condition: ''\r\n"
                    "    Result variable: 'rv'\r\n"
                    "    Fail on error: no\r\n"
                    "    Is project task: no\r\n"
                    "    Is container: no\r\n"
                    "    Properties: \r\n"
                    "        count='3'\r\n"
                    "        label='Child'\r\n"
                    "    Parent task name: 'Parent'\r\n"
                    "    Parent task ID: 1\r\n"
                    "    File: '/jobs/job.xml'\r\n"),
            capture.log().entries[0].text);

  // Off without the "task details" category.
  capture.clear();
  capture.manager()->clearFilter(logger::FilterTaskDetails);
  EXPECT_EQ(0, f.run(task, "Tag"));
  EXPECT_FALSE(capture.log().containsPart("Try to start task:"));
}

TEST(TaskRunnerTest, DetailsBlockOfAProjectTask) {
  ScopedLogCapture capture(logger::LogInfo);
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("app.prefer.out.subdir", "sub"));
  RecordingProjectTask task(5, "Build", nullptr);
  EXPECT_EQ(0, task.getPropertiesSetter()->setString("projectName", "app"));
  EXPECT_EQ(0, task.getPropertiesSetter()->setString("output", "out"));
  EXPECT_EQ(0, task.addChild(new RecordingTask(6, "Inner", nullptr)));
  EXPECT_EQ(0, f.run(&task));
  const QString text = capture.log().texts().filter("Try to start task:").value(0);
  EXPECT_TRUE(text.contains("    Is project task: yes\r\n"
                            "    Project name: 'app'\r\n"
                            "    Original project name: 'app'\r\n"
                            "    Current project name: 'app'\r\n"
                            "    Attached to a project: true\r\n"
                            "    Is depends from other projects: true\r\n"
                            "    Output directory: 'out'\r\n"
                            "    Prefer output subdirectory: 'sub'\r\n"
                            "    Is set prefer output subdirectory recursively: 0\r\n"
                            "    Is prepared: 1\r\n"
                            "    Is container: no\r\n"
                            "    Number of child tasks: 1\r\n"))
      << text.toStdString();
}

}  // namespace
