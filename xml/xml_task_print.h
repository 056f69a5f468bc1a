#pragma once

#include "xml/xml_task_plain.h"

// "printtasks" (common attributes only) and "printvars".
class XmlTaskPrintTasks : public XmlTaskPlain {
 public:
  XmlTaskPrintTasks();
};

class XmlTaskPrintVars : public XmlTaskPlain {
 public:
  XmlTaskPrintVars();
};
