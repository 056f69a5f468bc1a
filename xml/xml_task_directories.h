#pragma once

#include "xml/xml_task_plain.h"

// "mkdir", "setcurrdir" and "rename": attributes only.
class XmlTaskMkdir : public XmlTaskPlain {
 public:
  XmlTaskMkdir();
};

class XmlTaskSetCurrDir : public XmlTaskPlain {
 public:
  XmlTaskSetCurrDir();
};

class XmlTaskRename : public XmlTaskPlain {
 public:
  XmlTaskRename();
};
