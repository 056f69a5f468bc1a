#include "xml/xml_task_factory.h"

#include "build/task_copy_project_files.h"
#include "project/fake_projects.h"
#include "tasks/macrodef_impl.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_factory_impl.h"
#include "tasks/task_print_projects.h"
#include "tasks/task_project.h"
#include "tasks/task_with_file_sets.h"
#include "test_support.h"
#include "xml/xml_task_foreach.h"
#include "xml/xml_task_parser.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using project_testing::FakeProjects;
using testing_support::ScopedLogCapture;

namespace {

class FakeMacros : public IMacrodefProvider {
 public:
  MacrodefImpl* add(const QString& name, const QStringList& attributes) {
    macros_.push_back(std::make_shared<MacrodefImpl>(name));
    for (const QString& a : attributes) EXPECT_EQ(0, macros_.back()->addAttribute(a));
    return macros_.back().get();
  }
  bool contains(const QString& name) override { return find(name) != nullptr; }
  IMacrodef* find(const QString& name) override {
    for (const auto& m : macros_)
      if (m->getName().compare(name, Qt::CaseInsensitive) == 0) return m.get();
    return nullptr;
  }

 private:
  std::vector<std::shared_ptr<MacrodefImpl>> macros_;
};

// Every property of the store as "key=value", in the store's order.
std::string show(PropertiesMgr& store) {
  std::string out;
  QString name, value;
  std::uint32_t type;
  for (int i = 0; store.getPropertyByIndex(i, name, type) == 0; ++i) {
    EXPECT_EQ(0, store.getString(name, value));
    out += "[" + name.toStdString() + "=" + value.toStdString() + "]";
  }
  return out;
}

class XmlTaskFactoryTest : public ::testing::Test {
 protected:
  XmlTaskFactoryTest() {
    factory_.setTaskFactory(&tasks_);
    factory_.setMacrodefProvider(&macros_);
  }

  std::unique_ptr<XmlTaskParser> parserFor(const QString& name) {
    XmlTaskParser* parser = nullptr;
    EXPECT_EQ(factory_.createParser(name, &parser), 0) << name.toStdString();
    return std::unique_ptr<XmlTaskParser>(parser);
  }

  // Parses the document's first element under "<r>" and checks that the parser
  // left the reader at that element's end.
  int parse(XmlTaskParser& parser, const QByteArray& xml) {
    QXmlStreamReader reader("<r>" + xml + "<after/></r>");
    reader.readNextStartElement();
    reader.readNextStartElement();
    const int code = parser.parse(reader);
    if (code == 0) {
      EXPECT_TRUE(reader.readNextStartElement() && reader.name() == "after");
    }
    return code;
  }

  std::shared_ptr<ITask> createTask(XmlTaskParser& parser) {
    ITask* task = nullptr;
    EXPECT_EQ(parser.createTask(nullptr, &task), 0);
    return shareTask(task);
  }

  TaskFactoryImpl tasks_;
  FakeMacros macros_;
  XmlTaskFactory factory_;
};

TEST_F(XmlTaskFactoryTest, ElementWordsInAnyCaseGiveTheirParser) {
  struct Case {
    const char* written;
    const char* elementName;
    int type;
  };
  const Case cases[] = {
      {"SetVar", "setvar", 601}, {"EXIT", "exit", 50},      {"foreach", "foreach", 70},
      {"Break", "break", 71},    {"continue", "continue", 72}, {"LoadProperties", "loadproperties", 150},
      {"Exec", "exec", 100},     {"SYSTEM", "system", 101},   {"ExpandSysVar", "expandsysvar", 602},
      {"getsysvar", "getsysvar", 603}, {"SetSysVar", "setsysvar", 604},
      {"Echo", "echo", 400},     {"SOUND", "sound", 401},      {"MessageBox", "messagebox", 500},
      {"question", "question", 501},
      {"VersionFileRead", "versionfileread", 250}, {"VERSIONFILEWRITE", "versionfilewrite", 251},
      {"MkDir", "mkdir", 201},   {"SetCurrDir", "setcurrdir", 205}, {"RENAME", "rename", 206},
      {"Copy", "copy", 305},     {"move", "move", 306},         {"Delete", "delete", 307},
      {"WriteFile", "writefile", 308}, {"FINDINFILE", "findinfile", 309},
      {"PrintTasks", "printtasks", 403}, {"printVars", "printvars", 404},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    std::unique_ptr<XmlTaskParser> parser = parserFor(c.written);
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->elementName(), c.elementName);
    EXPECT_EQ(parser->taskType(), unsigned(c.type));
    ASSERT_EQ(parse(*parser, QByteArray("<") + c.written + "/>"), 0);
    std::shared_ptr<ITask> task = createTask(*parser);
    ASSERT_TRUE(task);
    EXPECT_EQ(task->getType(), c.type);
  }
}

TEST_F(XmlTaskFactoryTest, UnknownElementsFail) {
  int sentinel = 0;
  for (const char* name : {"ech", "", "echoes", "vars"}) {
    SCOPED_TRACE(name);
    auto* parser = reinterpret_cast<XmlTaskParser*>(&sentinel);
    EXPECT_EQ(factory_.createParser(name, &parser), 301);
    EXPECT_EQ(parser, nullptr);
  }
  EXPECT_EQ(factory_.createParser("exit", nullptr), 3);
}

// Built-in words win over macros of the same name.
TEST_F(XmlTaskFactoryTest, BuiltInWordsAreNotMacroCalls) {
  for (const auto& [name, type] : {std::pair<const char*, unsigned>{"build", 1u}, {"Libs", 2u}}) {
    SCOPED_TRACE(name);
    macros_.add(name, {});
    std::unique_ptr<XmlTaskParser> parser = parserFor(name);
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->taskType(), type);
  }
  macros_.add("copyfiles", {});
  std::unique_ptr<XmlTaskParser> call = parserFor("copyfiles");
  ASSERT_TRUE(call);
  EXPECT_EQ(call->taskType(), 3u);
}

TEST_F(XmlTaskFactoryTest, AttributesBecomePropertiesAsWritten) {
  struct Case {
    const char* name;
    const char* xml;
    const char* expected;
  };
  const Case cases[] = {
      {"setvar keeps references", "<setvar name='x' value='${y}'/>",
       "[asExpression=][comment=][condition=][depends=][failonerror=][resultvar=][varName=x][varValue=${y}]"},
      {"no trimming, exact attribute names, children ignored",
       "<exit Error='1' message=' m ' failonerror=' no '><exit error='2'/></exit>",
       "[comment=][condition=][depends=][error=][failonerror= no ][message= m ][resultvar=]"},
      {"common attributes only", "<Break comment='c' condition='${a} == 1' resultvar='r' depends='d'/>",
       "[comment=c][condition=${a} == 1][depends=d][failonerror=][resultvar=r]"},
      {"loadproperties", "<loadproperties file='a.properties' varprefix='p'/>",
       "[comment=][condition=][depends=][failonerror=][file=a.properties][replace=][resultvar=][varprefix=p]"},
      {"foreach without children", "<foreach item='i' in='a,b'/>",
       "[comment=][condition=][depends=][failonerror=][in=a,b][item=i][resultvar=]"},
      {"exec", "<exec exe=' \"a b\" ' Dir='d' waittime='1' show='no' catchoutput='yes' output='o' "
               "exitcodevar='c' waitresultvar='w'/>",
       "[catchoutput=yes][comment=][condition=][depends=][dir=][exe= \"a b\" ][exitcodevar=c][failonerror=]"
       "[output=o][resultvar=][show=no][waitresultvar=w][waittime=1]"},
      {"system", "<system cmd=' exit ${n} ' exitcodevar='c'/>",
       "[cmd= exit ${n} ][comment=][condition=][depends=][exitcodevar=c][failonerror=][resultvar=]"},
      {"expandsysvar", "<expandsysvar text=' %A% ' valuevar='v'/>",
       "[comment=][condition=][depends=][failonerror=][resultvar=][text= %A% ][valuevar=v]"},
      {"getsysvar", "<getsysvar name='A' valuevar='v' system='yes'/>",
       "[comment=][condition=][depends=][failonerror=][name=A][resultvar=][system=yes][valuevar=v]"},
      {"setsysvar", "<setsysvar name='A' value=' v '/>",
       "[comment=][condition=][depends=][failonerror=][name=A][resultvar=][system=][value= v ]"},
      {"echo names are exact", "<echo Message='hi' level='debug' file=' f '/>",
       "[comment=][condition=][depends=][failonerror=][file= f ][level=debug][message=][resultvar=]"},
      {"sound", "<sound type='ok' file='a.wav'/>",
       "[comment=][condition=][depends=][failonerror=][file=a.wav][resultvar=][type=ok]"},
      {"messagebox", "<messagebox message=' m ' icon='Warning'/>",
       "[comment=][condition=][depends=][failonerror=][icon=Warning][message= m ][resultvar=]"},
      {"question", "<question message='Go?' resultvar='answer'/>",
       "[comment=][condition=][depends=][failonerror=][message=Go?][resultvar=answer]"},
      {"setprojectversion keys",
       "<setprojectversion projectname='app' versionid='release' version=' 1.2 ' autostamp='no' name='x'/>",
       "[autoStamp=no][comment=][condition=][depends=][failonerror=][projectName=app][resultvar=][version= 1.2 ]"
       "[versionId=release]"},
      {"versionfileread", "<versionfileread file=' v.h ' valuevar='v' value='ignored'/>",
       "[comment=][condition=][depends=][failonerror=][file= v.h ][resultvar=][valuevar=v]"},
      {"versionfilewrite keys", "<versionfilewrite file='v.h' value='1.2' autostamp='yes' version='ignored'/>",
       "[autoStamp=yes][comment=][condition=][depends=][failonerror=][file=v.h][resultvar=][version=1.2]"},
      {"printprojects", "<printprojects showdependence=' yes ' details='1' file='p.txt' showDependence='x'/>",
       "[comment=][condition=][depends=][details=1][failonerror=][file=p.txt][resultvar=][showDependence= yes ]"},
      {"mkdir", "<mkdir dir=' a/b '/>", "[comment=][condition=][depends=][dir= a/b ][failonerror=][resultvar=]"},
      {"setcurrdir", "<setcurrdir dir='${d}'/>",
       "[comment=][condition=][depends=][dir=${d}][failonerror=][resultvar=]"},
      {"rename keys", "<rename src='a' newname='b' newName='ignored'/>",
       "[comment=][condition=][depends=][failonerror=][newName=b][resultvar=][src=a]"},
      {"copy keys", "<copy file='f' tofile='t' todir='d' overwrite='no' force='yes' verbose=' false ' toDir='x'/>",
       "[comment=][condition=][depends=][failonerror=][file=f][force=yes][overwrite=no][resultvar=][toDir=d]"
       "[toFile=t][verbose= false ]"},
      {"move keys", "<move todir='d'/>",
       "[comment=][condition=][depends=][failonerror=][file=][force=][overwrite=][resultvar=][toDir=d][toFile=]"
       "[verbose=]"},
      {"delete keys", "<delete dir='d' file='f' verbose='no' todir='ignored'/>",
       "[comment=][condition=][depends=][dir=d][failonerror=][file=f][resultvar=][verbose=no]"},
      {"findinfile keys", "<findinfile file='f' openexisting='yes' text=' t ' caseinsensitive='1' asregexp='0' "
                          "valuevar='v'/>",
       "[asregexp=0][caseinsensitive=1][comment=][condition=][depends=][failonerror=][file=f][openExisting=yes]"
       "[resultvar=][text= t ][valuevar=v]"},
      {"printvars", "<printvars file='vars.txt'><x/></printvars>",
       "[comment=][condition=][depends=][failonerror=][file=vars.txt][resultvar=]"},
      {"printtasks", "<printtasks file='ignored'/>", "[comment=][condition=][depends=][failonerror=][resultvar=]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QXmlStreamReader probe(QByteArray(c.xml));
    probe.readNextStartElement();
    std::unique_ptr<XmlTaskParser> parser = parserFor(probe.name().toString());
    ASSERT_TRUE(parser);
    ASSERT_EQ(parse(*parser, c.xml), 0);
    EXPECT_EQ(show(parser->properties()), c.expected);
  }
}

TEST_F(XmlTaskFactoryTest, ProjectElementsGetTheProjectTable) {
  FakeProjects projects;
  for (const auto& [word, type] : {std::pair<const char*, int>{"PrintProjects", 402}, {"SetProjectVersion", 4}, {"Build", 1}}) {
    SCOPED_TRACE(word);
    factory_.setProjectsProvider(nullptr);
    std::unique_ptr<XmlTaskParser> parser = parserFor(word);
    ASSERT_TRUE(parser);
    ASSERT_EQ(parse(*parser, QByteArray("<") + word + "/>"), 0);
    ITask* task = nullptr;
    EXPECT_EQ(parser->createTask(nullptr, &task), 3) << "a project task needs the project table";

    factory_.setProjectsProvider(&projects);
    parser = parserFor(word);
    ASSERT_EQ(parse(*parser, QByteArray("<") + word + "/>"), 0);
    std::shared_ptr<ITask> created = createTask(*parser);
    ASSERT_TRUE(created);
    EXPECT_EQ(created->getType(), type);
    EXPECT_EQ(static_cast<TaskProject*>(created.get())->getProjectsProvider(), &projects);
  }
}

TEST_F(XmlTaskFactoryTest, BuildElementGivesItsAttributesAndVarsToABuildTask) {
  FakeProjects projects;
  factory_.setProjectsProvider(&projects);
  std::unique_ptr<XmlTaskParser> parser = parserFor("Build");
  ASSERT_TRUE(parser);
  EXPECT_EQ(parser->elementName(), "build");
  ASSERT_EQ(parse(*parser,
                  "<Build name='${app}' configuration=' release ' platformtoolset='t' outputbuilddir='b' "
                  "skipbuild='no' extraparam='CONFIG+=debug' Output='o' other='x'>"
                  "<vars><var name=' k ' value=' 1 '/><var name='K' value='2'/><var value='nameless'/>"
                  "<other name='o' value='3'/></vars><var name='outside' value='4'/>"
                  "<vars><var name='j'/></vars></Build>"),
            0);
  EXPECT_EQ(show(parser->properties()),
            "[comment=][condition=][configuration= release ][depends=][extraparam=CONFIG+=debug][failonerror=]"
            "[output=][outputbuilddir=b][platform=][platformToolset=t][projectName=${app}][resultvar=]"
            "[skipBuild=no][target=]");
  std::shared_ptr<ITask> task = createTask(*parser);
  ASSERT_TRUE(task);
  EXPECT_EQ(task->getType(), 1);
  EXPECT_EQ(task->getName(), "Build");
  auto* build = static_cast<TaskProject*>(task.get());
  TaskEnvironment environment;
  build->getEnvironment(environment);
  EXPECT_EQ(environment, (TaskEnvironment{{"k", " 1 "}, {"j", ""}})) << "the first of two names in any case";
}

TEST_F(XmlTaskFactoryTest, ExecArgumentsAreTheNonEmptyArgValuesInOrder) {
  struct Case {
    const char* name;
    const char* xml;
    std::vector<QString> args;  // empty: no "args" property
  };
  const Case cases[] = {
      {"empty and missing values dropped",
       "<exec exe='a'><arg value='-v'/><arg value=''/><arg/><ARG value=' ${x} '/><other value='o'>"
       "<arg value='nested'/></other><arg value='last'><arg value='inner'/></arg></exec>",
       {"-v", " ${x} ", "last"}},
      {"no arg with a value", "<exec exe='a'><arg value=''/><arg/></exec>", {}},
      {"no children", "<exec exe='a'/>", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<XmlTaskParser> parser = parserFor("exec");
    ASSERT_EQ(parse(*parser, c.xml), 0);
    EXPECT_EQ(parser->properties().contains("args"), !c.args.empty());
    std::shared_ptr<ITask> task = createTask(*parser);
    ASSERT_TRUE(task);
    std::vector<QString> args;
    (void)task->getProperties()->getStringList("args", args);  // optional
    EXPECT_EQ(args, c.args);
  }
}

TEST_F(XmlTaskFactoryTest, CopyMoveAndDeleteHandTheirFileSetsToTheTask) {
  for (const char* word : {"copy", "move", "delete"}) {
    SCOPED_TRACE(word);
    std::unique_ptr<XmlTaskParser> parser = parserFor(word);
    const QByteArray xml = QByteArray("<") + word +
                           " todir='out'><fileset dir=' bin '><include name='*.dll' targetsubdir='s'/>"
                           "<exclude name='d*.dll'/><exclude/></fileset><other><fileset dir='nested'/></other>"
                           "<FileSet dir='two'/></" + word + ">";
    ASSERT_EQ(parse(*parser, xml), 0);
    std::shared_ptr<ITask> task = createTask(*parser);
    auto* holder = dynamic_cast<TaskWithFileSets*>(task.get());
    ASSERT_TRUE(holder);
    const std::vector<FileSetInfo>& sets = holder->fileSets();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].dir, " bin ");
    ASSERT_EQ(sets[0].includes.size(), 1u);
    EXPECT_EQ(sets[0].includes[0].name, "*.dll");
    EXPECT_EQ(sets[0].includes[0].targetsubdir, "s");
    EXPECT_EQ(sets[0].excludes, (QStringList{"d*.dll", ""}));
    EXPECT_EQ(sets[1].dir, "two");
    EXPECT_TRUE(sets[1].includes.empty());
  }
}

TEST_F(XmlTaskFactoryTest, WriteFileTextItemsAreTheNonEmptyTextsAsWritten) {
  struct Case {
    const char* name;
    const char* xml;
    std::vector<QString> items;
  };
  const Case cases[] = {
      {"no children", "<writefile file='f.txt'/>", {}},
      {"blanks and line breaks kept, empty dropped",
       "<writefile file='f.txt'><text>a b </text><text></text><other>x</other><TEXT>\n ${v}\n</TEXT></writefile>",
       {"a b ", "\n ${v}\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<XmlTaskParser> parser = parserFor("writefile");
    ASSERT_EQ(parse(*parser, c.xml), 0);
    std::vector<QString> items{"stale"};
    EXPECT_EQ(parser->properties().getStringList("text", items), 0);
    EXPECT_EQ(items, c.items);
  }
  std::unique_ptr<XmlTaskParser> parser = parserFor("writefile");
  ASSERT_EQ(parse(*parser, "<writefile file='f' openexisting='yes' truncate='no' createnew=' 1 ' createNew='x'/>"), 0);
  const std::pair<const char*, const char*> attributes[] = {
      {"file", "f"}, {"openExisting", "yes"}, {"truncate", "no"}, {"createNew", " 1 "}, {"condition", ""}};
  for (const auto& [key, value] : attributes) {
    QString text;
    EXPECT_EQ(parser->properties().getString(key, text), 0) << key;
    EXPECT_EQ(text, value) << key;
  }
}

TEST_F(XmlTaskFactoryTest, MacroCalls) {
  XmlTaskParser* before = nullptr;
  EXPECT_EQ(factory_.createParser("mymacro", &before), 301);
  macros_.add("MyMacro", {"dir", "mode"});
  macros_.add("exit", {});

  std::unique_ptr<XmlTaskParser> call = parserFor("mymacro");
  ASSERT_TRUE(call);
  EXPECT_EQ(call->elementName(), "mymacro");
  EXPECT_EQ(call->taskType(), 3u);
  ASSERT_EQ(parse(*call, "<mymacro dir='x' Mode='no' other='o' condition='c'><child/></mymacro>"), 0);
  EXPECT_EQ(show(call->properties()),
            "[comment=][condition=c][depends=][failonerror=][macrodef.dir=x][macrodef.mode=][resultvar=]");
  std::shared_ptr<ITask> task = createTask(*call);
  ASSERT_TRUE(task);
  EXPECT_EQ(task->getType(), 3);
  EXPECT_EQ(task->getName(), "mymacro");

  // Built-in words win over a macro of the same name.
  std::unique_ptr<XmlTaskParser> exitParser = parserFor("Exit");
  EXPECT_EQ(exitParser->taskType(), 50u);
}

TEST_F(XmlTaskFactoryTest, CreateTask) {
  std::unique_ptr<XmlTaskParser> parser = parserFor("setvar");
  ASSERT_EQ(parse(*parser, "<setvar name='a'/>"), 0);
  EXPECT_EQ(parser->createTask(nullptr, nullptr), 3);
  parser->setXmlFile("/jobs/job.xml");
  std::shared_ptr<ITask> task = createTask(*parser);
  ASSERT_TRUE(task);
  EXPECT_EQ(task->getFile(), "/jobs/job.xml");
  QString name;
  EXPECT_EQ(0, task->getProperties()->getString("varName", name));
  EXPECT_EQ(name, "a");

  parser->setTaskFactory(nullptr);
  ITask* none = nullptr;
  EXPECT_EQ(parser->createTask(nullptr, &none), 803);
  EXPECT_EQ(none, nullptr);
}

TEST_F(XmlTaskFactoryTest, ForeachNestsAnyTaskElement) {
  macros_.add("m", {});
  std::unique_ptr<XmlTaskParser> parser = parserFor("foreach");
  parser->setXmlFile("/jobs/job.xml");
  ASSERT_EQ(parse(*parser, "<foreach item='i' in='a,b'><setvar name='x'/>"
                           "<ForEach item='j' in='c'><break/></ForEach><M/><continue/></foreach>"),
            0);
  std::shared_ptr<ITask> loop = createTask(*parser);
  ASSERT_TRUE(loop);
  ASSERT_EQ(loop->getChildCount(), 4);
  std::vector<int> types;
  for (int i = 0; i < loop->getChildCount(); ++i) {
    ITask* child = nullptr;
    EXPECT_EQ(0, loop->getChild(i, &child));
    types.push_back(child->getType());
    EXPECT_EQ(child->getParent(), loop.get());
    EXPECT_EQ(child->getFile(), "/jobs/job.xml");
  }
  EXPECT_EQ(types, (std::vector<int>{601, 70, 3, 72}));
  ITask* inner = nullptr;
  EXPECT_EQ(0, loop->getChild(1, &inner));
  ASSERT_EQ(inner->getChildCount(), 1);
}

TEST_F(XmlTaskFactoryTest, ForeachChildFailures) {
  {
    ScopedLogCapture capture;
    std::unique_ptr<XmlTaskParser> parser = parserFor("foreach");
    parser->setXmlFile("/jobs/job.xml");
    EXPECT_EQ(parse(*parser, "<foreach item='i' in='a'><setvar/>\n  <nope/></foreach>"), 301);
    ASSERT_FALSE(capture.log().entries.empty());
    EXPECT_EQ(capture.log().entries.back().text,
              "Task with name: 'nope' is not found!. This XML file: '/jobs/job.xml'. Line: 2. Column: 9.");
    EXPECT_EQ(capture.log().entries.back().tag, "XmlTaskForeach");
  }
  {
    // A failing task factory is reported with the element's name.
    ScopedLogCapture capture;
    macros_.add("gone", {});
    factory_.setTaskFactory(nullptr);
    std::unique_ptr<XmlTaskParser> parser = parserFor("foreach");
    parser->setXmlFile("/jobs/job.xml");
    EXPECT_EQ(parse(*parser, "<foreach><gone/></foreach>"), 803);
    EXPECT_TRUE(capture.log().contains("Failed to create task. Task name: 'gone'. Error: 803. This XML file: "
                                       "'/jobs/job.xml'. Line: 1. Column: 19."));
  }
  XmlTaskForeach orphan;
  EXPECT_EQ(parse(orphan, "<foreach><setvar/></foreach>"), 307);
}

TEST(XmlTaskLibsTest, LibsMakesACopyProjectFilesTaskOverTheProjectTable) {
  TaskFactoryImpl tasks;
  project_testing::FakeProjects projects;
  XmlTaskFactory factory;
  factory.setTaskFactory(&tasks);
  XmlTaskParser* raw = nullptr;
  ASSERT_EQ(factory.createParser("LIBS", &raw), 0);
  std::unique_ptr<XmlTaskParser> parser(raw);
  EXPECT_EQ(parser->elementName(), "libs");
  QXmlStreamReader reader(QByteArray("<libs name=' core ' output='out' filesetids='bin' Configuration='x' "
                                     "platform='x64' notrecursively='yes'><libs/></libs>"));
  reader.readNextStartElement();
  ASSERT_EQ(parser->parse(reader), 0);
  EXPECT_EQ(show(parser->properties()),
            "[comment=][condition=][configuration=][depends=][failonerror=][filesetids=bin][notrecursively=yes]"
            "[output=out][platform=x64][projectName= core ][resultvar=]");
  ITask* task = nullptr;
  EXPECT_EQ(parser->createTask(nullptr, &task), 3) << "a project task needs the project table";

  factory.setProjectsProvider(&projects);
  ASSERT_EQ(factory.createParser("libs", &raw), 0);
  parser.reset(raw);
  QXmlStreamReader again(QByteArray("<libs name='core'/>"));
  again.readNextStartElement();
  ASSERT_EQ(parser->parse(again), 0);
  ASSERT_EQ(parser->createTask(nullptr, &task), 0);
  std::unique_ptr<ITask> created(task);
  auto* copy = dynamic_cast<TaskCopyProjectFiles*>(task);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->getType(), 2);
  EXPECT_EQ(copy->getProjectsProvider(), &projects);
}

}  // namespace
