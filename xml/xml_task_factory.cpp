#include "xml/xml_task_factory.h"

#include "tasks/task_callbacks.h"
#include "xml/xml_task_build.h"
#include "xml/xml_task_directories.h"
#include "xml/xml_task_exec.h"
#include "xml/xml_task_file_sets.h"
#include "xml/xml_task_foreach.h"
#include "xml/xml_task_macrodef.h"
#include "xml/xml_task_plain.h"
#include "xml/xml_task_print.h"
#include "xml/xml_task_text_files.h"

#include <memory>

namespace {

template <typename T>
std::unique_ptr<XmlTaskParser> make() {
  return std::make_unique<T>();
}

struct ElementKind {
  const char* word;
  std::unique_ptr<XmlTaskParser> (*create)();
};

// Built-in element words, searched in order; they win over macros of the same name.
// Words whose task classes do not exist yet have no parser and fail as unknown, even
// when a macro carries that name: such a call would change meaning once the word has one.
const ElementKind kElements[] = {
    {"build", &make<XmlTaskBuild>},
    {"libs", &make<XmlTaskLibs>},
    {"echo", &make<XmlTaskEcho>},
    {"setcurrdir", &make<XmlTaskSetCurrDir>},
    {"setvar", &make<XmlTaskSetvar>},
    {"copy", &make<XmlTaskCopy>},
    {"delete", &make<XmlTaskDelete>},
    {"exec", &make<XmlTaskExec>},
    {"system", &make<XmlTaskSystem>},
    {"exit", &make<XmlTaskExit>},
    {"expandsysvar", &make<XmlTaskExpandSysVar>},
    {"getsysvar", &make<XmlTaskGetSysVar>},
    {"setsysvar", &make<XmlTaskSetSysVar>},
    {"findinfile", &make<XmlTaskFindInFile>},
    {"foreach", &make<XmlTaskForeach>},
    {"break", &make<XmlTaskForeachBreak>},
    {"continue", &make<XmlTaskForeachContinue>},
    {"loadproperties", &make<XmlTaskLoadProperties>},
    {"messagebox", &make<XmlTaskMessagebox>},
    {"mkdir", &make<XmlTaskMkdir>},
    {"move", &make<XmlTaskMove>},
    {"printprojects", &make<XmlTaskPrintProjects>},
    {"printtasks", &make<XmlTaskPrintTasks>},
    {"printvars", &make<XmlTaskPrintVars>},
    {"question", &make<XmlTaskQuestion>},
    {"rename", &make<XmlTaskRename>},
    {"setprojectversion", &make<XmlTaskSetProjectVersion>},
    {"sound", &make<XmlTaskSound>},
    {"versionfileread", &make<XmlTaskVersionFileRead>},
    {"versionfilewrite", &make<XmlTaskVersionFileWrite>},
    {"writefile", &make<XmlTaskWriteFile>},
};

// The parsers of project tasks also get the project table and the macro definitions.
const char* const kProjectElements[] = {"build", "libs", "printprojects", "setprojectversion"};

bool isProjectElement(const QString& elementName) {
  for (const char* word : kProjectElements)
    if (elementName.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

int XmlTaskFactory::createParser(const QString& elementName, XmlTaskParser** out) {
  if (!out) return kNoOutPointer;
  *out = nullptr;
  std::unique_ptr<XmlTaskParser> parser;
  for (const ElementKind& kind : kElements) {
    if (elementName.compare(QLatin1String(kind.word), Qt::CaseInsensitive) == 0) {
      if (!kind.create) return kNotFound;
      parser = kind.create();
      break;
    }
  }
  bool isMacroCall = false;
  if (!parser && macrodefProvider_ && macrodefProvider_->contains(elementName)) {
    parser = std::make_unique<XmlTaskMacrodef>(elementName);
    isMacroCall = true;
  }
  if (!parser) return kNotFound;

  parser->setTaskFactory(taskFactory_);
  parser->setVariablesGetter(variablesGetter_);
  parser->setVariablesSetter(variablesSetter_);
  parser->setNotifications(notifications_);
  if (isMacroCall || isProjectElement(elementName)) {
    parser->setProjectsProvider(projectsProvider_);
    parser->setMacrodefProvider(macrodefProvider_);
  }
  if (isMacroCall) {
    parser->setProjectPreprocessor(projectPreprocessor_);
  } else if (auto* loop = dynamic_cast<XmlTaskForeach*>(parser.get())) {
    loop->setProjectPreprocessor(projectPreprocessor_);
    loop->setParserFactory(this);
  }
  *out = parser.release();
  return 0;
}
