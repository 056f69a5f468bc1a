#pragma once

#include "xml/xml_task_parser.h"

// "exec": its attributes, and the non-empty "value" of each "arg" child, in order, as
// the string list "args" (absent when there is none).
class XmlTaskExec : public XmlTaskParser {
 public:
  XmlTaskExec();

  unsigned int taskType() const override;
  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
};
