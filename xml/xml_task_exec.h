#pragma once

#include "xml/xml_task_plain.h"

// "exec": its attributes, and the non-empty "value" of each "arg" child, in order, as
// the string list "args" (absent when there is none).
class XmlTaskExec : public XmlTaskPlain {
 public:
  XmlTaskExec();

  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
};
