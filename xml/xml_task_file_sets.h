#pragma once

#include "core/file_set_info.h"
#include "xml/xml_task_plain.h"

#include <cstddef>
#include <vector>

// "copy", "move" and "delete": their attributes and their "fileset" children, in
// order, which the task receives whole.
class XmlTaskFileSets : public XmlTaskParser {
 public:
  unsigned int taskType() const override { return typeId_; }
  int parse(QXmlStreamReader& reader) override;
  int createTask(ITask* parent, ITask** out) override;

 protected:
  template <std::size_t N>
  XmlTaskFileSets(const char* elementName, unsigned int typeId, const XmlAttributeKey (&attributes)[N])
      : XmlTaskParser(QLatin1String(elementName)), typeId_(typeId), attributes_(attributes), count_(N) {}

 private:
  unsigned int typeId_;
  const XmlAttributeKey* attributes_;
  std::size_t count_;
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
