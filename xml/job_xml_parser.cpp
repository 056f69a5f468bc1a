#include "xml/job_xml_parser.h"

#include "core/logger.h"
#include "core/path_utils.h"
#include "tasks/macrodef_impl.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "xml/xml_element_readers.h"
#include "xml/xml_task_parser.h"
#include "xml/xml_task_parser_factory.h"

#include <QFileInfo>

namespace {

const char* const kTag = "JobXmlParser";

QString absoluteFilePath(const QString& path) {
  return QFileInfo(fileSystemPath(path)).absoluteFilePath();
}

}  // namespace

JobXmlParser::JobXmlParser() { setIncludeCallback(this); }

// The child reads files of this one's own run: it goes first.
JobXmlParser::~JobXmlParser() { childParser_.reset(); }

int JobXmlParser::parseElement() {
  if (!taskHolder_) return kNoTaskHolder;
  if (!taskParserFactory_) return kNoParserFactory;
  if (isElement(QStringLiteral("macrodefs"))) return parseMacrodefs();
  if (isElement(QStringLiteral("tasks"))) return parseTasks();
  skipCurrentElement();
  return 0;
}

int JobXmlParser::parseMacrodefs() {
  return readChildren(QStringLiteral("macrodef"), [this] { return parseMacrodef(); });
}

int JobXmlParser::parseTasks() {
  while (!isStopRequested() && readNextStartElement()) {
    const int code = parseTask(reader_.name().toString(), nullptr);
    if (code != 0) return code;
  }
  return 0;
}

int JobXmlParser::parseMacrodef() {
  if (!taskFactory_) return kNoTaskFactory;
  const XmlPlace place = placeOf(reader_);
  QString name;
  readAttribute(QStringLiteral("name"), name);
  if (name.isEmpty()) {
    VLOG_ERROR(kTag) << "[ParseMacrodef] Macrodef name is empty! This XML file: '" << fileName() << "'. "
                     << placeText(place) << ".";
    return kEmptyMacrodefName;
  }
  // Registered before its body is read, so that the body may call the macro itself.
  auto created = std::make_unique<MacrodefImpl>(name);
  int code = taskHolder_->addMacrodef(created.get());
  if (code != 0) {
    VLOG_ERROR(kTag) << "[ParseMacrodef] Failed to register macrodef '" << name << "'! This XML file: '"
                     << fileName() << "'. " << placeText(place) << ".";
    return code;
  }
  IMacrodef* macrodef = created.release();  // the holder owns it from here on
  code = parseMacrodefBody(macrodef);
  if (code != 0) (void)taskHolder_->removeMacrodef(macrodef);  // best-effort
  return code;
}

int JobXmlParser::parseMacrodefBody(IMacrodef* macrodef) {
  while (!isStopRequested() && readNextStartElement()) {
    if (isElement(QStringLiteral("attribute"))) {
      QString name;
      if (readAttribute(QStringLiteral("name"), name) && !name.isEmpty()) {
        const int code = macrodef->addAttribute(name);
        if (code != 0) return code;
      }
      skipCurrentElement();
    } else if (isElement(QStringLiteral("tasks"))) {
      while (!isStopRequested() && readNextStartElement()) {
        const int code = parseTask(reader_.name().toString(), macrodef);
        if (code != 0) return code;
      }
    } else {
      skipCurrentElement();
    }
  }
  return 0;
}

int JobXmlParser::parseTask(const QString& name, IMacrodef* macrodef) {
  // Taken on the start tag: the element's parser reads on to its end.
  const XmlPlace place = placeOf(reader_);
  std::shared_ptr<ITask> task;
  TaskElementStep failed = TaskElementStep::CreateParser;
  int code = createTaskFromElement(taskParserFactory_, reader_, name, fileName(), task, failed);
  if (code != 0) {
    const QString at = placeText(place);
    if (failed == TaskElementStep::Parse) {
      VLOG_ERROR(kTag) << "Failed to parse task. Task name: '" << name << "'. XML file: '" << fileName() << "'. " << at
                       << ".";
    } else if (failed == TaskElementStep::CreateTask) {
      VLOG_ERROR(kTag) << "Failed to create task. Task name: '" << name << "'. XML file: '" << fileName() << "'. " << at
                       << ".";
    } else if (code == kNotFound && !macrodef) {
      VLOG_ERROR(kTag) << "Task with name: '" << name << "' is not found! This XML file: '" << fileName() << "'. " << at
                       << ".";
    } else {
      VLOG_ERROR(kTag) << "Failed to create task-parser with name: '" << name << "'. Error: " << code
                       << ". This XML file: '" << fileName() << "'. " << at << ".";
    }
    return code;
  }
  // The macro or the holder joins the ownership; a task it refuses ends with `task`.
  if (macrodef) return macrodef->addTask(task.get());
  code = taskHolder_->addTask(task.get());
  if (code != 0)
    VLOG_ERROR(kTag) << "Failed to register task. Task name: '" << name << "'. XML file: '" << fileName() << "'. "
                     << placeText(place) << ".";
  return code;
}

bool JobXmlParser::isBeingRead(const QString& file) const {
  const QString target = absoluteFilePath(file);
  for (const JobXmlParser* p = this; p; p = p->includingParser_) {
    if (p->isActive() && samePath(absoluteFilePath(p->fileName()), target)) return true;
  }
  return false;
}

int JobXmlParser::includeXml(const QString& callerId, const QString& parentFile, const QString& thisFile,
                             bool replaceVariables, const QString& variablesPrefix,
                             const QString& objectPrefix) {
  logIncludeRequest(kTag, callerId, parentFile, thisFile, replaceVariables, variablesPrefix, objectPrefix);
  if (thisFile.isEmpty()) return 0;
  // The "include" element of this reader's file.
  const XmlPlace place = placeOf(reader_);
  // Each level of nesting has a reader of its own; a cycle would add levels forever.
  if (isBeingRead(thisFile)) {
    VLOG_ERROR(kTag) << "Include cycle: '" << thisFile << "' is already being read. "
                     << filePlaceText(fileName(), place);
    return kIncludeCycle;
  }
  int nesting = 0;
  for (const JobXmlParser* p = this; p; p = p->includingParser_) ++nesting;
  if (nesting > kMaxIncludeNesting) {
    VLOG_ERROR(kTag) << "Includes are nested too deeply (limit " << kMaxIncludeNesting << "). File: '" << thisFile
                     << "'. " << filePlaceText(fileName(), place);
    return kIncludesNestedTooDeeply;
  }
  if (!childParser_) {
    childParser_ = std::make_unique<JobXmlParser>();
    childParser_->includingParser_ = this;
    childParser_->setVariablesGetter(variablesGetter());
    childParser_->setVariablesSetter(variablesSetter());
    childParser_->setProjectsProvider(projectsProvider_);
    childParser_->setMacrodefProvider(macrodefProvider_);
    childParser_->setTaskParserFactory(taskParserFactory_);
    childParser_->setTaskFactory(taskFactory_);
    childParser_->setTaskHolder(taskHolder_);
  }
  const int result = childParser_->parseFile(thisFile, replaceVariables, variablesPrefix, objectPrefix);
  if (result != 0) {
    VLOG_ERROR(kTag) << "Failed to parse included XML file: '" << thisFile << "'. " << filePlaceText(fileName(), place)
                     << ".";
  }
  childParser_->stop();
  return result;
}
