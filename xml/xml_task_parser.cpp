#include "xml/xml_task_parser.h"

#include "tasks/task.h"
#include "tasks/task_factory.h"
#include "tasks/task_texts.h"

void XmlTaskParser::parseCommonAttributes(QXmlStreamReader& reader) {
  // Keys built once: every task keeps them, and shares them this way.
  static const QString kKeys[] = {task_texts::kComment, task_texts::kCondition, task_texts::kDepends,
                                  task_texts::kFailOnError, task_texts::kResultVar};
  for (const QString& key : kKeys) readAttributeIntoProperty(reader, key, key);
}

void XmlTaskParser::readAttributeIntoProperty(QXmlStreamReader& reader, const QString& attribute,
                                              const QString& key) {
  properties_.setString(key, reader.attributes().value(attribute).toString());
}

void XmlTaskParser::readAttributeIntoProperty(QXmlStreamReader& reader, QLatin1String attribute,
                                              const QString& key) {
  properties_.setString(key, reader.attributes().value(attribute).toString());
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
