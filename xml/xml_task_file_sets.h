#pragma once

#include "core/file_set_info.h"
#include "xml/xml_task_plain.h"

#include <cstddef>
#include <vector>

// "copy", "move" and "delete": their attributes and their "fileset" children, in
// order, which the task receives whole.
class XmlTaskFileSets : public XmlTaskPlain {
 public:
  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
  [[nodiscard]] int createTask(ITask* parent, ITask** out) override;

 protected:
  template <std::size_t N>
  XmlTaskFileSets(const char* elementName, unsigned int typeId, const XmlAttributeKey (&attributes)[N])
      : XmlTaskPlain(elementName, typeId, attributes) {}

 private:
  std::vector<FileSetInfo> fileSets_;
};

class XmlTaskCopy : public XmlTaskFileSets {
 public:
  XmlTaskCopy();
};

class XmlTaskMove : public XmlTaskFileSets {
 public:
  XmlTaskMove();
};

class XmlTaskDelete : public XmlTaskFileSets {
 public:
  XmlTaskDelete();
};
