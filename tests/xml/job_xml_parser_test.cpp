#include "xml/job_xml_parser.h"

#include "core/iproperties.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "intr/item_id_provider.h"
#include "tasks/macrodef.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_factory_impl.h"
#include "tasks/task_runner.h"
#include "test_support.h"
#include "xml/xml_task_factory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using testing_support::ScopedLogCapture;

namespace {

const QString kDataDir = QStringLiteral(VARKEL_TEST_DATA_DIR "/xml/");

// What the driver does for the reader: holds root tasks and macros, finds macros by
// name and hands out parsers through the real element factory. Each may be told to fail.
class FakeDriver : public ITaskHolder, public IXmlTaskParserFactory, public IMacrodefProvider {
 public:
  std::vector<std::shared_ptr<ITask>> tasks;
  std::vector<std::shared_ptr<IMacrodef>> macrodefs;
  int refuseTask = 0;
  int refuseMacrodef = 0;
  std::map<QString, int> failingParsers;
  XmlTaskFactory elements;

  int addTask(ITask* task) override {
    if (refuseTask) return refuseTask;
    if (task) tasks.push_back(shareTask(task));
    return 0;
  }
  int removeTask(ITask*) override { return 0; }
  int addMacrodef(IMacrodef* macrodef) override {
    if (refuseMacrodef) return refuseMacrodef;
    if (!macrodef) return 0;
    macrodefs.emplace_back(macrodef);
    macrodef->setId(macrodefs.size());
    return 0;
  }
  int removeMacrodef(IMacrodef* macrodef) override {
    for (auto it = macrodefs.begin(); it != macrodefs.end(); ++it) {
      if (it->get() == macrodef) {
        macrodefs.erase(it);
        break;
      }
    }
    return 0;
  }
  int createParser(const QString& name, XmlTaskParser** out) override {
    auto failing = failingParsers.find(name);
    if (failing != failingParsers.end()) return failing->second;
    return elements.createParser(name, out);
  }
  bool contains(const QString& name) override { return find(name) != nullptr; }
  IMacrodef* find(const QString& name) override {
    for (const auto& m : macrodefs)
      if (m->getName().compare(name, Qt::CaseInsensitive) == 0) return m.get();
    return nullptr;
  }
};

class AlwaysTrue : public IConditionHandler {
 public:
  int evaluateCondition(const QString&, bool& result) override {
    result = true;
    return 0;
  }
  int calculate(const QString& text, QString& result) override {
    result = text;
    return 0;
  }
};

class JobXmlParserTest : public ::testing::Test {
 protected:
  JobXmlParserTest() {
    tasks_.setIdProvider(&ids_);
    driver_.elements.setTaskFactory(&tasks_);
    driver_.elements.setVariablesGetter(&globals_);
    driver_.elements.setVariablesSetter(&globals_);
    driver_.elements.setMacrodefProvider(&driver_);
    parser_.setVariablesGetter(&globals_);
    parser_.setVariablesSetter(&globals_);
    parser_.setMacrodefProvider(&driver_);
    parser_.setTaskParserFactory(&driver_);
    parser_.setTaskFactory(&tasks_);
    parser_.setTaskHolder(&driver_);
  }

  QString write(const QByteArray& content, const QString& name = "job.xml") {
    const QString path = dir_.filePath(name);
    testing_support::writeFile(path, content);
    return path;
  }

  int parse(const QString& path) {
    const int code = parser_.parseFile(path, true, QString(), QString());
    parser_.stop();
    return code;
  }

  // The "varName"/"varValue" of each root setvar task, as "name=value".
  std::vector<std::string> rootSetvars() {
    std::vector<std::string> out;
    for (const auto& task : driver_.tasks) {
      QString name, value;
      (void)task->getProperties()->getString("varName", name);    // optional
      (void)task->getProperties()->getString("varValue", value);  // optional
      out.push_back((name + "=" + value).toStdString());
    }
    return out;
  }

  QString global(const QString& name) {
    QString value;
    return globals_.get(name, value) == 0 ? value : QStringLiteral("<missing>");
  }

  int run(ITask* task) {
    VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &globals_);
    return startTask("Test", task, &expander, &globals_, &globals_, &handler_, nullptr, nullptr);
  }

  QTemporaryDir dir_;
  VariablesMgr globals_;
  ItemIdProviderImpl ids_;
  TaskFactoryImpl tasks_;
  FakeDriver driver_;
  AlwaysTrue handler_;
  JobXmlParser parser_;
};

TEST_F(JobXmlParserTest, MacrosAreDefinedAndCalled) {
  ASSERT_EQ(parse(kDataDir + "macros.xml"), 0);
  ASSERT_EQ(driver_.macrodefs.size(), 1u);
  IMacrodef* macro = driver_.macrodefs[0].get();
  EXPECT_EQ(macro->getName(), "copyTo");
  ASSERT_EQ(macro->getAttributeCount(), 2);
  EXPECT_EQ(macro->getTaskCount(), 2);
  ASSERT_EQ(driver_.tasks.size(), 2u);
  EXPECT_EQ(driver_.tasks[0]->getName(), "CopyTo");
  EXPECT_EQ(driver_.tasks[1]->getType(), 70);

  EXPECT_EQ(0, globals_.set("interrupt.tasks", "false"));
  EXPECT_EQ(run(driver_.tasks[0].get()), 0);
  EXPECT_EQ(global("last.dir"), "out");
  EXPECT_EQ(global("last.mode"), "");
  EXPECT_EQ(run(driver_.tasks[1].get()), 0);
  EXPECT_EQ(global("last.dir"), "b");
  EXPECT_EQ(global("last.mode"), "m");
}

TEST_F(JobXmlParserTest, IncludeWithPrefixIsReadWhereItStands) {
  ScopedLogCapture capture;
  const QString main = kDataDir + "include_prefix/main.xml";
  ASSERT_EQ(parse(main), 0);
  EXPECT_TRUE(capture.log().contains("Tries to include XML. Caller id: ''. Parent file: '" + main +
                                     "'. This file: '" +
                                     QDir(kDataDir).absoluteFilePath("include_prefix/lib/lib.xml") +
                                     "'. Replace variables: 'no'. Variables prefix: 'lib'. Object prefix: ''"));
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"order=1", "order=2", "order=3"}));
  EXPECT_EQ(global("x"), "main");
  EXPECT_EQ(global("lib.x"), "lib");
  EXPECT_EQ(global("lib.y"), "lib after main");
  EXPECT_EQ(driver_.tasks[0]->getFile(), main);
  EXPECT_EQ(driver_.tasks[1]->getFile(), QDir(kDataDir).absoluteFilePath("include_prefix/lib/lib.xml"));
  EXPECT_EQ(driver_.tasks[2]->getFile(), main);
}

// Without the check every level of a cycle would open one more reader, without end.
TEST_F(JobXmlParserTest, IncludeCycleFails) {
  ScopedLogCapture capture;
  const QString a = QDir(kDataDir).absoluteFilePath("include_cycle/a.xml");
  const QString b = QDir(kDataDir).absoluteFilePath("include_cycle/b.xml");
  const QString c = QDir(kDataDir).absoluteFilePath("include_cycle/c.xml");
  EXPECT_EQ(parse(a), 503);
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"visited=a", "visited=b", "visited=c"}));
  EXPECT_TRUE(capture.log().contains("Include cycle: '" + a + "' is already being read. This XML file: '" + c +
                                     "'. Line: 4. Column: 46"));
  EXPECT_TRUE(capture.log().contains("Failed to parse included XML file: '" + c + "'. This XML file: '" + b +
                                     "'. Line: 3. Column: 35."));
  EXPECT_TRUE(capture.log().contains("Failed to parse included XML file: '" + b + "'. This XML file: '" + a +
                                     "'. Line: 3. Column: 35."));

  // A file may still be included twice one after the other: only nesting is a cycle.
  driver_.tasks.clear();
  write("<project><tasks><setvar name='inc'/></tasks></project>", "inc.xml");
  EXPECT_EQ(parse(write("<project><includes><include file='inc.xml'/><include file=''/>"
                        "<include file='./inc.xml'/></includes></project>")),
            0);
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"inc=", "inc="}));
}

TEST_F(JobXmlParserTest, IncludesNestedTooDeeplyFail) {
  ScopedLogCapture capture;
  // f0 includes f1, ..., each a file of its own: no cycle, but no end within the bound.
  const int files = JobXmlParser::kMaxIncludeNesting + 2;
  for (int i = 0; i < files; ++i)
    write("<project><includes><include file='f" + QByteArray::number(i + 1) + ".xml'/></includes></project>",
          "f" + QString::number(i) + ".xml");
  write("<project><tasks><setvar name='deepest'/></tasks></project>", "f" + QString::number(files) + ".xml");
  EXPECT_EQ(parse(dir_.filePath("f0.xml")), JobXmlParser::kIncludesNestedTooDeeply);
  EXPECT_TRUE(capture.log().containsPart("Includes are nested too deeply (limit 64). File: '"));
  EXPECT_TRUE(driver_.tasks.empty());

  // Within the bound the deepest file is read.
  driver_.tasks.clear();
  write("<project><tasks><setvar name='deepest'/></tasks></project>", "f" + QString::number(files - 2) + ".xml");
  EXPECT_EQ(parse(dir_.filePath("f0.xml")), 0);
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"deepest="}));
}

TEST_F(JobXmlParserTest, CutOffJobFileFails) {
  ScopedLogCapture capture;
  EXPECT_EQ(parse(kDataDir + "cut_off.xml"), 502);
  EXPECT_TRUE(capture.log().containsPart("XML error in file '" + kDataDir + "cut_off.xml'. Line: 5."));
  EXPECT_EQ(global("before.cut"), "read");
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"a=1"}));

  // An including file fails with the included file's code.
  driver_.tasks.clear();
  EXPECT_EQ(parse(write("<project><includes><include file='" + (kDataDir + "cut_off.xml").toUtf8() +
                        "'/></includes><tasks><setvar name='never'/></tasks></project>")),
            502);
  EXPECT_EQ(rootSetvars(), (std::vector<std::string>{"a=1"}));
}

// Loops nest in the reader and again in the runner: a bound instead of a stack overflow.
TEST_F(JobXmlParserTest, LoopsNestedTooDeeplyFail) {
  ScopedLogCapture capture;
  auto nested = [](int levels) {
    QByteArray open, close;
    for (int i = 0; i < levels; ++i) {
      open += "<foreach item='i' in='x'>\n";
      close += "</foreach>";
    }
    return "<project><tasks>" + open + "<setvar name='deep' value='yes'/>" + close + "</tasks></project>";
  };
  ASSERT_EQ(parse(write(nested(256))), 0);
  ASSERT_EQ(driver_.tasks.size(), 1u);
  EXPECT_EQ(0, globals_.set("interrupt.tasks", "false"));
  EXPECT_EQ(run(driver_.tasks[0].get()), 0);
  EXPECT_EQ(global("deep"), "yes");

  driver_.tasks.clear();
  const QString path = write(nested(10000), "deep.xml");
  EXPECT_EQ(parse(path), 504);
  EXPECT_TRUE(capture.log().contains("Loops are nested too deeply (limit 256). File: '" + path + "'. Line: 257"));
}

TEST_F(JobXmlParserTest, Failures) {
  struct Case {
    const char* name;
    QByteArray content;
    int code;
    const char* message;  // the last error line; <file> stands for the job file
    std::vector<std::string> tasks;
    std::size_t macrodefs;
  };
  const Case cases[] = {
      {"unknown element after two tasks",
       "<project><tasks><setvar name='a'/><Exit/><ech/><setvar name='b'/></tasks></project>", 301,
       "Task with name: 'ech' is not found! This XML file: '<file>'. Line: 1. Column: 47.", {"a=", "="}, 0},
      {"call before its definition",
       "<project><tasks><m/></tasks><macrodefs><macrodef name='m'/></macrodefs></project>", 301,
       "Task with name: 'm' is not found! This XML file: '<file>'. Line: 1. Column: 20.", {}, 0},
      {"unknown element in a macro body leaves no definition",
       "<project><macrodefs><macrodef name='m'><tasks><setvar/><nope/></tasks></macrodef></macrodefs></project>",
       301, "Failed to create task-parser with name: 'nope'. Error: 301. This XML file: '<file>'. Line: 1. Column: 62.",
       {}, 0},
      {"macro without name",
       "<project><macrodefs><macrodef name='ok'/><macrodef Name='x'/></macrodefs></project>", 802,
       "[ParseMacrodef] Macrodef name is empty! This XML file: '<file>'. Line: 1. Column: 61.", {}, 1},
      {"missing include keeps the tasks before it",
       "<project><tasks><setvar name='a'/></tasks><includes><include file='none.xml'/></includes>"
       "<tasks><setvar name='b'/></tasks></project>",
       501, "Failed to parse included XML file: '<dir>/none.xml'. This XML file: '<file>'. Line: 1. Column: 78.",
       {"a="}, 0},
      {"other elements are passed over whole",
       "<project><group><tasks><setvar name='a'/></tasks></group><macrodefs><group><macrodef/></group>"
       "</macrodefs><tasks><setvar name='b'/></tasks></project>",
       0, nullptr, {"b="}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    driver_.tasks.clear();
    driver_.macrodefs.clear();
    ScopedLogCapture capture;
    const QString path = write(c.content);
    EXPECT_EQ(parse(path), c.code);
    EXPECT_EQ(rootSetvars(), c.tasks);
    EXPECT_EQ(driver_.macrodefs.size(), c.macrodefs);
    if (c.message) {
      QString expected = QString(c.message).replace("<file>", path).replace("<dir>", dir_.path());
      QString last;
      for (const auto& e : capture.log().entries)
        if (e.level == logger::LogError) last = e.text;
      EXPECT_EQ(last.toStdString(), expected.toStdString());
    }
  }
}

// Each failure names the file and the place of the element it is about, however deep the
// element stands: every error line of the read, in order.
TEST_F(JobXmlParserTest, ErrorsNameTheFileAndLineOfTheirElement) {
  struct Case {
    const char* fixture;  // under reader_errors/
    int code;
    std::vector<const char*> errors;  // <file> stands for the fixture, <dir> for its directory
  };
  const Case cases[] = {
      {"top_level.xml", 301, {"Task with name: 'ecoh' is not found! This XML file: '<file>'. Line: 6. Column: 23."}},
      {"in_foreach.xml",
       301,
       {"Task with name: 'ecoh' is not found!. This XML file: '<file>'. Line: 7. Column: 27.",
        "Failed to parse task. Task name: 'foreach'. Error: 301. This XML file: '<file>'. Line: 6. Column: 31.",
        "Failed to parse task. Task name: 'foreach'. XML file: '<file>'. Line: 5. Column: 31."}},
      {"in_macro.xml",
       301,
       {"Failed to create task-parser with name: 'ecoh'. Error: 301. This XML file: '<file>'. Line: 9. Column: 33."}},
      {"in_macro_foreach.xml",
       301,
       {"Task with name: 'ecoh' is not found!. This XML file: '<file>'. Line: 8. Column: 32.",
        "Failed to parse task. Task name: 'foreach'. XML file: '<file>'. Line: 7. Column: 35."}},
      {"macrodef_without_name.xml",
       802,
       {"[ParseMacrodef] Macrodef name is empty! This XML file: '<file>'. Line: 5. Column: 14."}},
      {"include/main.xml",
       301,
       {"Task with name: 'ecoh' is not found! This XML file: '<dir>/lib.xml'. Line: 4. Column: 23.",
        "Failed to parse included XML file: '<dir>/lib.xml'. This XML file: '<file>'. Line: 6. Column: 29."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    ScopedLogCapture capture;
    const QString file = QDir(kDataDir + "reader_errors").absoluteFilePath(c.fixture);
    EXPECT_EQ(parse(file), c.code);
    QStringList expected;
    for (const char* error : c.errors)
      expected << QString(error).replace("<file>", file).replace("<dir>", QFileInfo(file).absolutePath());
    QStringList errors;
    for (const auto& e : capture.log().entries)
      if (e.level == logger::LogError) errors << e.text;
    EXPECT_EQ(errors, expected);
  }
}

TEST_F(JobXmlParserTest, MissingCollaboratorsAndRefusals) {
  const QString tasksFile = write("<project><tasks><setvar name='a'/></tasks></project>", "tasks.xml");
  const QString macroFile = write("<project><macrodefs><macrodef name='m'/></macrodefs></project>", "macro.xml");
  {
    ScopedLogCapture capture;
    driver_.refuseTask = 77;
    EXPECT_EQ(parse(tasksFile), 77);
    EXPECT_TRUE(capture.log().contains("Failed to register task. Task name: 'setvar'. XML file: '" + tasksFile +
                                       "'. Line: 1. Column: 34."));
    driver_.refuseTask = 0;
  }
  {
    ScopedLogCapture capture;
    driver_.refuseMacrodef = 78;
    EXPECT_EQ(parse(macroFile), 78);
    EXPECT_TRUE(capture.log().contains("[ParseMacrodef] Failed to register macrodef 'm'! This XML file: '" +
                                       macroFile + "'. Line: 1. Column: 40."));
    driver_.refuseMacrodef = 0;
  }
  {
    ScopedLogCapture capture;
    driver_.failingParsers["setvar"] = 5;
    EXPECT_EQ(parse(tasksFile), 5);
    EXPECT_TRUE(capture.log().contains("Failed to create task-parser with name: 'setvar'. Error: 5. This XML file: '" +
                                       tasksFile + "'. Line: 1. Column: 34."));
    driver_.failingParsers.clear();
  }
  parser_.setTaskFactory(nullptr);
  EXPECT_EQ(parse(macroFile), 803);
  parser_.setTaskParserFactory(nullptr);
  EXPECT_EQ(parse(tasksFile), 307);
  parser_.setTaskHolder(nullptr);
  EXPECT_EQ(parse(tasksFile), 306);
  EXPECT_TRUE(driver_.tasks.empty());
  EXPECT_EQ(parse(write("<project><vars/></project>", "plain.xml")), 0);
}

}  // namespace
