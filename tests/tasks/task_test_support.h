#pragma once

// Small fakes of the run's callbacks and a recording task, for task trees built in code.

#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_common.h"
#include "tasks/task_project.h"
#include "tasks/task_runner.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace task_testing {

// A task whose preStart and start write "<what>:<label>" into a journal and return
// the codes set on it. The label is the property "label" expanded, so it shows what
// the task's expander saw (a loop item, a macro parameter).
template <typename Base>
class Recording : public Base {
 public:
  Recording(std::uint64_t id, const QString& name, QStringList* journal)
      : Base(id, name, nullptr), journal_(journal) {
    EXPECT_EQ(0, this->getPropertiesSetter()->setString(QStringLiteral("label"), name));
  }
  ~Recording() override { this->markInterrupted(); }

  int getType() const override { return 9999; }
  void interrupt() override { this->markInterrupted(); }
  int preStart(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
               INotifications*) override {
    record(QStringLiteral("preStart"), expander);
    return preStartCode;
  }
  int start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
            INotifications*) override {
    record(QStringLiteral("start"), expander);
    return startCode;
  }
  void setLabel(const QString& label) {
    EXPECT_EQ(0, this->getPropertiesSetter()->setString(QStringLiteral("label"), label));
  }

  int preStartCode = 0;
  int startCode = 0;

 private:
  void record(const QString& what, IVariablesExpander* expander) {
    if (journal_) *journal_ << what + QLatin1Char(':') + expandedTrimmed(expander, this->propertyText("label"));
  }
  QStringList* journal_;
};

using RecordingTask = Recording<TaskCommon>;
using RecordingProjectTask = Recording<TaskProject>;

class RecordingContainer : public Recording<TaskCommon> {
 public:
  using Recording::Recording;
  bool isContainer() const override { return true; }
};

// Evaluates conditions by a function of the expanded text; "calculate" likewise.
// Every call is written into the journal as "condition:<text>" when one is given.
class FakeConditionHandler : public IConditionHandler {
 public:
  explicit FakeConditionHandler(QStringList* journal = nullptr) : journal_(journal) {}
  int evaluateCondition(const QString& text, bool& result) override {
    if (journal_) *journal_ << QStringLiteral("condition:") + text;
    return evaluate ? evaluate(text, result) : 0;
  }
  int calculate(const QString& text, QString& result) override {
    calculated << text;
    return compute ? compute(text, result) : 0;
  }

  std::function<int(const QString&, bool&)> evaluate;
  std::function<int(const QString&, QString&)> compute;
  QStringList calculated;

 private:
  QStringList* journal_;
};

// Answers 200 and 201 as the driver does: "interrupt.tasks" becomes "true".
class FakeNotifications : public INotifications {
 public:
  explicit FakeNotifications(IVariablesSetter* variables) : variables_(variables) {}
  int sendMessage(int code, const QString& text) override {
    messages.emplace_back(code, text);
    if (code == kInterrupt || code == kInterruptWithError) {
      EXPECT_EQ(0, variables_->set("interrupt.tasks", "true"));
    }
    return 0;
  }
  std::vector<std::pair<int, QString>> messages;

 private:
  IVariablesSetter* variables_;
};

// Records each preparation; on success marks the task prepared for that name, as
// the driver does.
class FakePreprocessor : public ITaskProjectPreprocessor {
 public:
  int prepareProjectTask(const QString& projectName, ITask* task) override {
    prepared << projectName;
    if (code != 0) return code;
    EXPECT_EQ(0, task->getPropertiesSetter()->setString(QStringLiteral("currentProjectName"), projectName));
    task->setPrepared(true);
    return 0;
  }
  QStringList prepared;
  int code = 0;
};

// A run's variables with "interrupt.tasks" false, a ${} expander over them and the
// fakes, wired as the driver wires them.
struct RunFixture {
  RunFixture() { EXPECT_EQ(0, variables.set("interrupt.tasks", "false")); }

  int run(ITask* task, const QString& tag = QStringLiteral("Mgr")) {
    return startTask(tag, task, &expander, &variables, &variables, &handler, &notifications, &preprocessor);
  }
  QString var(const QString& name) {
    QString value;
    (void)variables.get(name, value);  // optional
    return value;
  }

  QStringList journal;
  VariablesMgr variables;
  VariablesExpanderHelper expander{VariablesExpanderHelper::KindDollar, &variables};
  FakeConditionHandler handler{&journal};
  FakeNotifications notifications{&variables};
  FakePreprocessor preprocessor;
};

// Adds a new task to a parent (which then owns it) and hands back the plain pointer.
template <typename T, typename... Args>
T* addNew(ITask* parent, Args&&... args) {
  T* task = new T(std::forward<Args>(args)...);
  EXPECT_EQ(0, parent->addChild(task));
  return task;
}

}  // namespace task_testing
