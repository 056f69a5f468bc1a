#include "xml/xml_task_macrodef.h"

#include "core/text_helpers.h"
#include "tasks/macrodef.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_macrodef.h"

unsigned int XmlTaskMacrodef::taskType() const { return TaskMacrodef::kType; }

int XmlTaskMacrodef::parse(QXmlStreamReader& reader) {
  if (!macrodefProvider()) return kNoMacrodefProvider;
  IMacrodef* macrodef = macrodefProvider()->find(elementName());
  if (!macrodef) return kNoMacro;
  parseCommonAttributes(reader);
  const int count = macrodef->getAttributeCount();
  QString name;
  for (int i = 0; i < count; ++i) {
    if (macrodef->getAttribute(i, name) != 0) continue;
    readAttributeIntoProperty(reader, name, macroPropertyName(name));
  }
  reader.skipCurrentElement();
  return 0;
}
