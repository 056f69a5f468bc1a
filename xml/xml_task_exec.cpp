#include "xml/xml_task_exec.h"

#include "tasks/task_exec.h"
#include "xml/xml_element_readers.h"

#include <vector>

namespace {

const XmlAttributeKey kAttributes[] = {
    {"exe", "exe"}, {"dir", "dir"}, {"waittime", "waittime"}, {"show", "show"},
    {"catchoutput", "catchoutput"}, {"output", "output"}, {"exitcodevar", "exitcodevar"},
    {"waitresultvar", "waitresultvar"}};

}  // namespace

XmlTaskExec::XmlTaskExec() : XmlTaskPlain("exec", TaskExec::kType, kAttributes) {}

int XmlTaskExec::parse(QXmlStreamReader& reader) {
  parseAttributes(reader);
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
