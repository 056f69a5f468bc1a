#include "xml/xml_task_foreach.h"

#include "core/logger.h"
#include "tasks/task.h"
#include "tasks/task_foreach.h"
#include "tasks/task_texts.h"
#include "xml/result_codes.h"
#include "xml/xml_element_readers.h"

#include <memory>

namespace {

const char* const kTag = "XmlTaskForeach";

}  // namespace

XmlTaskForeach::XmlTaskForeach() : XmlTaskContainer(QStringLiteral("foreach")) {}

unsigned int XmlTaskForeach::taskType() const { return TaskForeach::kType; }

int XmlTaskForeach::parse(QXmlStreamReader& reader) {
  static thread_local int depth = 0;
  struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
  } guard;
  if (depth > kMaxNesting) {
    VLOG_ERROR(kTag) << "Loops are nested too deeply (limit " << kMaxNesting << "). File: '" << xmlFile()
                     << "'. Line: " << reader.lineNumber();
    return kNestedTooDeeply;
  }
  parseCommonAttributes(reader);
  readAttributeIntoProperty(reader, task_texts::kItem, task_texts::kItem);
  readAttributeIntoProperty(reader, task_texts::kIn, task_texts::kIn);
  childTasks_.clear();
  while (reader.readNextStartElement()) {
    const int code = parseChildTask(reader, reader.name().toString());
    if (code != 0) return code;
  }
  return 0;
}

int XmlTaskForeach::parseChildTask(QXmlStreamReader& reader, const QString& name) {
  if (!parserFactory_) return kNoParserFactory;
  // Taken on the start tag: the element's parser reads on to its end.
  const XmlPlace place = placeOf(reader);
  std::shared_ptr<ITask> task;
  TaskElementStep failed = TaskElementStep::CreateParser;
  const int code = createTaskFromElement(parserFactory_, reader, name, xmlFile(), task, failed);
  if (code != 0) {
    const QString at = filePlaceText(xmlFile(), place);
    if (failed == TaskElementStep::Parse)
      VLOG_ERROR(kTag) << "Failed to parse task. Task name: '" << name << "'. Error: " << code << ". " << at << ".";
    else if (failed == TaskElementStep::CreateTask)
      VLOG_ERROR(kTag) << "Failed to create task. Task name: '" << name << "'. Error: " << code << ". " << at << ".";
    else if (code == xml_codes::kNotFound)
      VLOG_ERROR(kTag) << "Task with name: '" << name << "' is not found!. " << at << ".";
    else
      VLOG_ERROR(kTag) << "Failed to create task-parser with name: '" << name << "'. Error: " << code << ". " << at
                       << ".";
    return code;
  }
  if (task) childTasks_.push_back(std::move(task));
  return 0;
}

int XmlTaskForeach::createTask(ITask* parent, ITask** out) {
  const int code = XmlTaskParser::createTask(parent, out);
  if (code != 0) return code;
  if (auto* loop = dynamic_cast<TaskForeach*>(*out)) {
    for (const std::shared_ptr<ITask>& child : childTasks_) (void)loop->addChild(child.get());  // non-null
  }
  return 0;
}
