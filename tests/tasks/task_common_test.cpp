#include "tasks/task_common.h"

#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/macrodef_impl.h"
#include "task_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace task_testing;
using testing_support::ScopedLogCapture;

namespace {

TEST(TaskCommonTest, FailOnErrorIsTrueUnlessAFalseWord) {
  VariablesMgr vars;
  EXPECT_EQ(0, vars.set("off", "false"));
  VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &vars);
  const std::pair<const char*, bool> cases[] = {
      {"", true}, {"No", false}, {" 0 ", false}, {"maybe", true}, {"yes", true}, {"${off}", false}};
  RecordingTask task(1, "T", nullptr);
  for (const auto& [text, expected] : cases) {
    task.setFailOnError(text);
    EXPECT_EQ(expected, task.isFailOnError(&expander)) << text;
  }
}

TEST(TaskCommonTest, ChildrenAndParentLinks) {
  auto root = std::make_shared<RecordingTask>(1, "Root", nullptr);
  EXPECT_EQ(3, root->addChild(nullptr));
  auto* child = addNew<RecordingTask>(root.get(), 2, "Child", nullptr);
  auto* grandchild = addNew<RecordingTask>(child, 3, "Grandchild", nullptr);
  EXPECT_EQ(root.get(), child->getParent());
  EXPECT_EQ("2,1", grandchild->getParentTaskIds());
  EXPECT_EQ("", root->getParentTaskIds());
  EXPECT_EQ(root.get(), getRootTask(grandchild));

  ITask* out = root.get();
  EXPECT_EQ(60, root->getChild(-1, &out));
  EXPECT_EQ(60, root->getChild(1, &out));
  EXPECT_EQ(root.get(), out);
  EXPECT_EQ(3, root->getChild(0, nullptr));
  EXPECT_EQ(0, root->getChild(0, &out));
  EXPECT_EQ(child, out);

  setPreparedRecursively(root.get(), true);
  EXPECT_TRUE(grandchild->isPrepared());
}

TEST(TaskCommonTest, OneTaskHeldByTwoOwnersIsReleasedOnce) {
  // A task that a macro and a parent both hold is one shared object, not two.
  auto parent = std::make_unique<RecordingTask>(1, "Parent", nullptr);
  auto macrodef = std::make_unique<MacrodefImpl>("m");
  auto* task = new RecordingTask(2, "Shared", nullptr);
  EXPECT_EQ(0, macrodef->addTask(task));
  EXPECT_EQ(0, parent->addChild(task));
  parent.reset();
  ITask* out = nullptr;
  ASSERT_EQ(0, macrodef->getTask(0, &out));
  EXPECT_EQ("Shared", out->getName());
}

TEST(TaskCommonTest, SetVariableNeedsASetterAndAName) {
  VariablesMgr vars;
  EXPECT_FALSE(TaskCommon::setVariable(nullptr, "a", "1"));
  EXPECT_FALSE(TaskCommon::setVariable(&vars, "", "1"));
  EXPECT_EQ(0, vars.count());
  EXPECT_TRUE(TaskCommon::setVariable(&vars, "a", "1"));
  EXPECT_EQ(0, vars.set("ro", "x", VariableFlags{true, 1}));
  EXPECT_FALSE(TaskCommon::setVariable(&vars, "ro", "y"));
}

TEST(TaskCommonTest, CheckConditionLogsWhatItDecided) {
  VariablesMgr vars;
  EXPECT_EQ(0, vars.set("v", "1"));
  EXPECT_EQ(0, vars.set("empty", ""));
  VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &vars);
  FakeConditionHandler handler;
  handler.evaluate = [](const QString& text, bool& result) {
    if (text == "bad") return 2003;
    if (!text.isEmpty()) result = text == "1";
    return 0;
  };
  struct Case {
    const char* condition;
    int code;
    bool result;
    QString log;  // empty: nothing logged
  };
  const Case cases[] = {
      {"${v}", 0, true,
       "Checking conditions. \n    Condition was calculated successfully. Condition is true. \n"
       "    Condition template: '${v}'. \n    Condition: '1'. \n    Task ID: 9"},
      {" 0 ", 0, false,
       "Checking conditions. \n    Condition was calculated successfully. Condition is false. \n"
       "    This task will not be executed! \n    Condition template: ' 0 '. \n    Condition: '0'. \n    Task ID: 9"},
      {"bad", 2003, true,
       "Checking conditions. \n    Failed to calculate the condition. \n    Error: 2003. \n"
       "    Condition template: 'bad'. \n    Condition: 'bad'. \n    Task ID: 9"},
      {"${empty}", 0, true, ""},
      {"", 0, true, ""},
  };
  RecordingTask task(9, "T", nullptr);
  bool result = false;
  EXPECT_EQ(341, task.checkCondition(&expander, nullptr, result));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    ScopedLogCapture capture;
    task.setCondition(c.condition);
    result = !c.result;
    EXPECT_EQ(c.code, task.checkCondition(&expander, &handler, result));
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.log.isEmpty() ? QStringList() : QStringList(c.log), capture.log().texts());
    if (!c.log.isEmpty()) {
      EXPECT_EQ("T", capture.log().entries[0].tag);
    }
  }
}

TEST(MacrodefImplTest, AttributesAreUniqueIgnoringCaseAndListsCheckTheirIndex) {
  MacrodefImpl macrodef("m");
  EXPECT_TRUE(macrodef.getFlag());
  EXPECT_EQ(0, macrodef.addAttribute("dir"));
  EXPECT_EQ(0, macrodef.addAttribute("Dir"));
  EXPECT_EQ(0, macrodef.addAttribute("mode"));
  EXPECT_EQ(2, macrodef.getAttributeCount());
  QString name = "kept";
  EXPECT_EQ(60, macrodef.getAttribute(2, name));
  EXPECT_EQ(60, macrodef.getAttribute(-1, name));
  EXPECT_EQ("kept", name);
  EXPECT_EQ(0, macrodef.getAttribute(0, name));
  EXPECT_EQ("dir", name);

  ITask* out = nullptr;
  EXPECT_EQ(3, macrodef.addTask(nullptr));
  EXPECT_EQ(60, macrodef.getTask(0, &out));
  EXPECT_EQ(3, macrodef.getTask(0, nullptr));
}

}  // namespace
