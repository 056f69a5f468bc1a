#pragma once

#include "xml/xml_task_plain.h"

// "findinfile": attributes only.
class XmlTaskFindInFile : public XmlTaskPlain {
 public:
  XmlTaskFindInFile();
};

// "writefile": its attributes, and the text of each non-empty "text" child, exactly as
// written, as the string list "text" (always set, empty when there is none).
class XmlTaskWriteFile : public XmlTaskPlain {
 public:
  XmlTaskWriteFile();

  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
};
