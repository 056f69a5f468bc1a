#include "xml/xml_task_exec.h"

#include "tasks/task_exec.h"
#include "xml/xml_element_readers.h"

#include <vector>

namespace {

const char* const kAttributes[] = {"exe",         "dir",    "waittime",    "show",
                                   "catchoutput", "output", "exitcodevar", "waitresultvar"};

}  // namespace

XmlTaskExec::XmlTaskExec() : XmlTaskParser(QStringLiteral("exec")) {}

unsigned int XmlTaskExec::taskType() const { return TaskExec::kType; }

int XmlTaskExec::parse(QXmlStreamReader& reader) {
  parseCommonAttributes(reader);
  for (const char* attribute : kAttributes)
    readAttributeIntoProperty(reader, QLatin1String(attribute), QLatin1String(attribute));
  std::vector<QString> args;
  const QString argElement = QStringLiteral("arg");
  const QString valueAttribute = QStringLiteral("value");
  while (reader.readNextStartElement()) {
    QString value;
    if (isElementNamed(reader, argElement) && readRawAttribute(reader, valueAttribute, value) && !value.isEmpty())
      args.push_back(value);
    reader.skipCurrentElement();
  }
  if (!args.empty()) (void)properties().setStringList(QStringLiteral("args"), args);  // cannot-fail
  return 0;
}
