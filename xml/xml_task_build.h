#pragma once

#include "xml/xml_element_readers.h"
#include "xml/xml_task_plain.h"

// "build": its attributes, and the "var" entries of its "vars" children, which become
// the task's name-value map (the environment of the tools it starts).
class XmlTaskBuild : public XmlTaskPlain {
 public:
  XmlTaskBuild();

  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
  [[nodiscard]] int createTask(ITask* parent, ITask** out) override;

  const XmlVarsMap& vars() const { return vars_; }

 private:
  XmlVarsMap vars_;
};
