#include "xml/xml_task_parser.h"

#include "tasks/task.h"
#include "tasks/task_factory.h"
#include "tasks/task_texts.h"
#include "xml/result_codes.h"
#include "xml/xml_task_parser_factory.h"

void XmlTaskParser::parseCommonAttributes(QXmlStreamReader& reader) {
  for (QLatin1String name : {task_texts::kComment, task_texts::kCondition, task_texts::kDepends,
                             task_texts::kFailOnError, task_texts::kResultVar}) {
    readAttributeIntoProperty(reader, name, name);
  }
}

void XmlTaskParser::readAttributeIntoProperty(QXmlStreamReader& reader, const QString& attribute,
                                              const QString& key) {
  (void)properties_.setString(key, reader.attributes().value(attribute).toString());  // cannot-fail
}

int XmlTaskParser::createTask(ITask* parent, ITask** out) {
  if (!out) return kNoOutPointer;
  if (!taskFactory_) return kNoTaskFactory;
  ITask* task = nullptr;
  const int code = taskFactory_->createTask(parent, taskType(), elementName_, &properties_, projectsProvider_,
                                            macrodefProvider_, projectPreprocessor_, &task);
  if (code != 0) return code;
  if (task) task->setFile(xmlFile_);
  *out = task;
  return 0;
}

int createTaskFromElement(IXmlTaskParserFactory* factory, QXmlStreamReader& reader, const QString& name,
                          const QString& xmlFile, std::shared_ptr<ITask>& task, TaskElementStep& failedStep) {
  failedStep = TaskElementStep::CreateParser;
  XmlTaskParser* created = nullptr;
  int code = factory->createParser(name, &created);
  const std::unique_ptr<XmlTaskParser> parser(created);
  if (code == xml_codes::kOk && !parser) code = xml_codes::kNotFound;
  if (code != xml_codes::kOk) return code;
  parser->setXmlFile(xmlFile);
  failedStep = TaskElementStep::Parse;
  code = parser->parse(reader);
  if (code != xml_codes::kOk) return code;
  failedStep = TaskElementStep::CreateTask;
  ITask* raw = nullptr;
  code = parser->createTask(nullptr, &raw);
  if (code != xml_codes::kOk) return code;
  // The new task's first owner: whoever keeps it joins this ownership.
  task = shareTask(raw);
  return xml_codes::kOk;
}
