#include "tasks/task_load_properties.h"
#include "tasks/task_setvar.h"

#include "task_test_support.h"
#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

std::unique_ptr<TaskSetvar> makeSetvar(const QString& name, const QString& value, const QString& asExpression = "") {
  auto task = std::make_unique<TaskSetvar>(4, nullptr);
  EXPECT_EQ(0, task->getPropertiesSetter()->setString("varName", name));
  EXPECT_EQ(0, task->getPropertiesSetter()->setString("varValue", value));
  EXPECT_EQ(0, task->getPropertiesSetter()->setString("asExpression", asExpression));
  return task;
}

TEST(TaskSetvarTest, StoresTheExpandedTextWithItsBlanks) {
  ScopedLogCapture capture(logger::LogInfo);
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("who", "you"));
  auto task = makeSetvar(" greeting ", "  hi ${who}  ");
  EXPECT_EQ(0, f.run(task.get()));
  EXPECT_EQ("  hi you  ", f.var("greeting"));
  EXPECT_TRUE(f.handler.calculated.isEmpty());
  EXPECT_TRUE(capture.log().contains("Try to update variable. Name: 'greeting'. Value: '  hi you  '. Task ID: 4"));
}

TEST(TaskSetvarTest, ExpressionGoesThroughTheConditionHandler) {
  ScopedLogCapture capture(logger::LogError);
  RunFixture f;
  EXPECT_EQ(0, f.variables.set("n", "2"));
  EXPECT_EQ(0, f.variables.set("sum", "old"));
  f.handler.compute = [](const QString& text, QString& result) {
    if (text == "bad") return 2005;
    result = text == "${n}+1" ? "wrong" : text == "2+1" ? "3" : "?";
    return 0;
  };
  auto task = makeSetvar("sum", "${n}+1", " yes ");
  EXPECT_EQ(0, f.run(task.get()));
  EXPECT_EQ("3", f.var("sum"));

  auto failing = makeSetvar("sum", "bad", "true");
  failing->setResultVar("rc");
  EXPECT_EQ(2005, f.run(failing.get()));
  EXPECT_EQ("3", f.var("sum"));
  EXPECT_EQ("2005", f.var("rc"));
  EXPECT_EQ(QStringList({"Failed to calculate expression. Expression: 'bad'. Error: 2005. Task ID: 4"}),
            capture.log().texts());

  // Without a handler the text is stored as it is.
  EXPECT_EQ(0, task->start(&f.expander, &f.variables, &f.variables, nullptr, nullptr));
  EXPECT_EQ("2+1", f.var("sum"));
}

TEST(TaskSetvarTest, ReadOnlyVariableIsRefused) {
  for (const char* failOnError : {"", "false"}) {
    SCOPED_TRACE(failOnError);
    ScopedLogCapture capture(logger::LogError);
    RunFixture f;
    EXPECT_EQ(0, f.variables.set("fixed", "1", VariableFlags{true, 1}));
    auto task = makeSetvar("fixed", "2");
    task->setFailOnError(failOnError);
    task->setResultVar("rc");
    EXPECT_EQ(QString(failOnError).isEmpty() ? 700 : 0, f.run(task.get()));
    EXPECT_EQ("1", f.var("fixed"));
    EXPECT_EQ("700", f.var("rc"));
    EXPECT_EQ(QStringList({"Failed to update variable. Error: 700. Task ID: 4"}), capture.log().texts());
  }
  auto task = makeSetvar("x", "1");
  EXPECT_EQ(0, task->start(nullptr, nullptr, nullptr, nullptr, nullptr));
}

class TaskLoadPropertiesTest : public ::testing::Test {
 protected:
  QString writeFile(const QString& text) {
    const QString path = dir.filePath("job.properties");
    testing_support::writeFile(path, text.toUtf8());
    return path;
  }
  std::unique_ptr<TaskLoadProperties> makeTask(const QString& file, const QString& replace = "",
                                               const QString& prefix = "") {
    auto task = std::make_unique<TaskLoadProperties>(6, nullptr);
    EXPECT_EQ(0, task->getPropertiesSetter()->setString("file", file));
    EXPECT_EQ(0, task->getPropertiesSetter()->setString("replace", replace));
    EXPECT_EQ(0, task->getPropertiesSetter()->setString("varprefix", prefix));
    return task;
  }
  QTemporaryDir dir;
  RunFixture f;
};

TEST_F(TaskLoadPropertiesTest, PrefixAndReplace) {
  const QString path = writeFile("a=1\nb=${build.a}2\nbuild.c=old\n");
  EXPECT_EQ(0, f.variables.set("build.a", "keep"));
  EXPECT_EQ(0, f.variables.set("build.b", "keep"));

  // Not "replace": only names the variables already hold.
  EXPECT_EQ(0, f.run(makeTask(path, "no", "build").get()));
  EXPECT_EQ("1", f.var("build.a"));
  EXPECT_EQ("12", f.var("build.b"));
  EXPECT_FALSE(f.variables.exists("build.build.c"));

  EXPECT_EQ(0, f.run(makeTask(path, "true", "build.").get()));
  EXPECT_EQ("old", f.var("build.build.c"));
  EXPECT_FALSE(f.variables.exists("a"));
}

TEST_F(TaskLoadPropertiesTest, MissingOrUnreadableFile) {
  const QString missing = dir.filePath("none.properties");
  struct Case {
    QString file;
    int code;
    QString log;
  };
  const Case cases[] = {
      {" ", 71, "File not defined! Task ID: 6"},
      {missing, 72, "File '" + missing + "' not found. Task ID: 6"},
      {dir.path(), 20, "Failed to read properties file ('" + dir.path() + "'). Error: 20. Task ID: 6"},
      {writeFile("ok=1\nno equals sign\n"), 204,
       "Failed to read properties file ('" + dir.filePath("job.properties") + "'). Error: 204. Task ID: 6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ScopedLogCapture capture(logger::LogError);
    auto task = makeTask(c.file, "yes");
    task->setResultVar("rc");
    EXPECT_EQ(c.code, f.run(task.get()));
    EXPECT_EQ(QString::number(c.code), f.var("rc"));
    EXPECT_TRUE(capture.log().contains(c.log)) << capture.log().texts().join("|").toStdString();
  }
  EXPECT_EQ("1", f.var("ok"));  // lines before the bad one stay stored
}

}  // namespace
