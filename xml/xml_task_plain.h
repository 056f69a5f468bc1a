#pragma once

#include "xml/xml_task_parser.h"

#include <cstddef>

// One attribute of an element and the property key it is stored under.
struct XmlAttributeKey {
  const char* attribute;
  QString key;  // built once, so that the stores of all tasks share the text
};

// The parsers of elements that hold attributes only: the common ones, then the row's
// own in order; children are skipped. Parsers that also read children derive from it
// for the attributes.
class XmlTaskPlain : public XmlTaskParser {
 public:
  unsigned int taskType() const override { return typeId_; }
  [[nodiscard]] int parse(QXmlStreamReader& reader) override;

 protected:
  void parseAttributes(QXmlStreamReader& reader);

  template <std::size_t N>
  XmlTaskPlain(const char* elementName, unsigned int typeId, const XmlAttributeKey (&attributes)[N])
      : XmlTaskParser(QLatin1String(elementName)), typeId_(typeId), attributes_(attributes), count_(N) {}
  XmlTaskPlain(const char* elementName, unsigned int typeId)
      : XmlTaskParser(QLatin1String(elementName)), typeId_(typeId) {}

 private:
  unsigned int typeId_;
  const XmlAttributeKey* attributes_ = nullptr;
  std::size_t count_ = 0;
};

class XmlTaskExit : public XmlTaskPlain {
 public:
  XmlTaskExit();
};

class XmlTaskForeachBreak : public XmlTaskPlain {
 public:
  XmlTaskForeachBreak();
};

class XmlTaskForeachContinue : public XmlTaskPlain {
 public:
  XmlTaskForeachContinue();
};

class XmlTaskLoadProperties : public XmlTaskPlain {
 public:
  XmlTaskLoadProperties();
};

class XmlTaskSetvar : public XmlTaskPlain {
 public:
  XmlTaskSetvar();
};

class XmlTaskSystem : public XmlTaskPlain {
 public:
  XmlTaskSystem();
};

class XmlTaskExpandSysVar : public XmlTaskPlain {
 public:
  XmlTaskExpandSysVar();
};

class XmlTaskGetSysVar : public XmlTaskPlain {
 public:
  XmlTaskGetSysVar();
};

class XmlTaskSetSysVar : public XmlTaskPlain {
 public:
  XmlTaskSetSysVar();
};

class XmlTaskEcho : public XmlTaskPlain {
 public:
  XmlTaskEcho();
};

class XmlTaskSound : public XmlTaskPlain {
 public:
  XmlTaskSound();
};

class XmlTaskMessagebox : public XmlTaskPlain {
 public:
  XmlTaskMessagebox();
};

class XmlTaskQuestion : public XmlTaskPlain {
 public:
  XmlTaskQuestion();
};

class XmlTaskVersionFileRead : public XmlTaskPlain {
 public:
  XmlTaskVersionFileRead();
};

class XmlTaskVersionFileWrite : public XmlTaskPlain {
 public:
  XmlTaskVersionFileWrite();
};

class XmlTaskPrintProjects : public XmlTaskPlain {
 public:
  XmlTaskPrintProjects();
};

class XmlTaskSetProjectVersion : public XmlTaskPlain {
 public:
  XmlTaskSetProjectVersion();
};

class XmlTaskLibs : public XmlTaskPlain {
 public:
  XmlTaskLibs();
};
