#include "tasks/task_factory_impl.h"

#include "core/properties_mgr.h"
#include "intr/item_id_provider.h"
#include "task_test_support.h"
#include "tasks/macrodef_impl.h"
#include "tasks/task_foreach.h"
#include "tasks/task_macrodef.h"

#include <gtest/gtest.h>

#include <map>

using namespace task_testing;

namespace {

class FakeMacrodefs : public IMacrodefProvider {
 public:
  bool contains(const QString& name) override { return find(name) != nullptr; }
  IMacrodef* find(const QString& name) override {
    auto it = defs.find(name.toLower());
    return it == defs.end() ? nullptr : it->second.get();
  }
  std::map<QString, std::unique_ptr<MacrodefImpl>> defs;
};

struct FactoryFixture {
  FactoryFixture() {
    factory.setIdProvider(&ids);
    macrodefs.defs["copyall"] = std::make_unique<MacrodefImpl>("copyAll");
  }
  int create(unsigned typeId, std::unique_ptr<ITask>& task, const QString& element = "x") {
    ITask* out = nullptr;
    const int code = factory.createTask(nullptr, typeId, element, &attributes, nullptr, &macrodefs, &preprocessor, &out);
    task.reset(code == 0 ? out : nullptr);
    return code;
  }
  ItemIdProviderImpl ids;
  TaskFactoryImpl factory;
  PropertiesMgr attributes;
  FakeMacrodefs macrodefs;
  FakePreprocessor preprocessor;
};

TEST(TaskFactoryTest, CreatesEveryKnownTypeWithAFreshId) {
  const std::pair<unsigned, const char*> rows[] = {
      {3, "CopyAll"}, {50, "Exit"}, {70, "Foreach"}, {71, "ForeachBreak"}, {72, "ForeachContinue"},
      {100, "Exec"}, {101, "System"}, {150, "LoadProperties"}, {250, "VersionFileRead"},
      {251, "VersionFileWrite"}, {400, "Echo"}, {401, "Sound"},
      {500, "Messagebox"}, {501, "Question"}, {601, "SetVar"}, {602, "ExpandSysVar"}, {603, "GetSysVar"},
      {604, "SetSysVar"}, {201, "Mkdir"}, {205, "SetCurrDir"}, {206, "Rename"}, {305, "CopyFiles"},
      {306, "Move"}, {307, "Delete"}, {308, "WriteFile"}, {309, "FindInFile"}, {403, "PrintTasks"},
      {404, "PrintVars"}};
  FactoryFixture f;
  std::int64_t id = 0;
  for (const auto& [typeId, name] : rows) {
    SCOPED_TRACE(typeId);
    std::unique_ptr<ITask> task;
    ASSERT_EQ(0, f.create(typeId, task, "CopyAll"));
    EXPECT_EQ(static_cast<int>(typeId), task->getType());
    EXPECT_EQ(name, task->getName());
    EXPECT_EQ(static_cast<std::uint64_t>(++id), task->getId());
  }
}

TEST(TaskFactoryTest, FailuresCreateNothingAndDrawNoId) {
  FactoryFixture f;
  std::unique_ptr<ITask> task;
  for (unsigned typeId : {0u, 999u}) EXPECT_EQ(2, f.create(typeId, task)) << typeId;
  EXPECT_EQ(309, f.create(3, task, "nosuchmacro"));
  ITask* out = nullptr;
  EXPECT_EQ(308, f.factory.createTask(nullptr, 3, "copyAll", &f.attributes, nullptr, nullptr, nullptr, &out));
  EXPECT_EQ(3, f.factory.createTask(nullptr, 601, "setvar", nullptr, nullptr, nullptr, nullptr, &out));
  for (unsigned typeId : {1u, 4u, 402u}) EXPECT_EQ(3, f.create(typeId, task)) << "a project task without the table";
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, f.ids.currentId());

  TaskFactoryImpl noIds;
  ASSERT_EQ(0, noIds.createTask(nullptr, 50, "exit", &f.attributes, nullptr, nullptr, nullptr, &out));
  std::unique_ptr<ITask> owned(out);
  EXPECT_EQ(0u, out->getId());
}

TEST(TaskFactoryTest, WiresTheCollaboratorsAndTheParentLink) {
  FactoryFixture f;
  TaskForeach parent(100, nullptr);
  ITask* out = nullptr;
  ASSERT_EQ(0, f.factory.createTask(&parent, 3, "COPYALL", &f.attributes, nullptr, &f.macrodefs, &f.preprocessor, &out));
  std::unique_ptr<ITask> call(out);
  EXPECT_EQ(&parent, call->getParent());
  EXPECT_EQ(0, parent.getChildCount());
  EXPECT_EQ("COPYALL", call->getName());
  EXPECT_EQ(f.macrodefs.defs["copyall"].get(), static_cast<TaskMacrodef*>(out)->getMacrodef());
  EXPECT_EQ(&f.preprocessor, static_cast<TaskMacrodef*>(out)->getTaskProjectPreprocessor());

  std::unique_ptr<ITask> loop;
  ASSERT_EQ(0, f.create(70, loop));
  EXPECT_EQ(&f.preprocessor, static_cast<TaskForeach*>(loop.get())->getTaskProjectPreprocessor());
}

TEST(TaskFactoryTest, CommonAttributesAreTrimmedWhileTheStoreKeepsThemAsWritten) {
  FactoryFixture f;
  EXPECT_EQ(0, f.attributes.setString("comment", " note "));
  EXPECT_EQ(0, f.attributes.setString("condition", " ${a} "));
  EXPECT_EQ(0, f.attributes.setString("depends", " d "));
  EXPECT_EQ(0, f.attributes.setString("failonerror", " no "));
  EXPECT_EQ(0, f.attributes.setString("resultvar", " rv "));
  EXPECT_EQ(0, f.attributes.setString("in", "a,b"));
  EXPECT_EQ(0, f.attributes.setStringList("projectName", {"app", "lib"}));
  std::unique_ptr<ITask> task;
  ASSERT_EQ(0, f.create(70, task));
  EXPECT_EQ(QStringList({"note", "${a}", "d", "no", "rv"}),
            QStringList({task->getComment(), task->getCondition(), task->getDepends(), task->getFailOnError(),
                         task->getResultVar()}));
  QString value;
  EXPECT_EQ(0, task->getProperties()->getString("failonerror", value));
  EXPECT_EQ(" no ", value);
  EXPECT_EQ(0, task->getProperties()->getString("in", value));
  EXPECT_EQ("a,b", value);

  // "projectName" is stored again as plain text, whatever type it came as.
  std::vector<QString> list;
  EXPECT_EQ(0, task->getProperties()->getString("projectName", value));
  EXPECT_EQ("app\r\nlib", value);
  EXPECT_EQ(0, task->getProperties()->getStringList("projectName", list));
  EXPECT_EQ(std::vector<QString>({"app\r\nlib"}), list);  // one text, no longer a list
}

}  // namespace
