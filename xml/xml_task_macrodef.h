#pragma once

#include "xml/xml_task_parser.h"

// An element named after a defined macro: a call, with one property per declared
// attribute of the macro.
class XmlTaskMacrodef : public XmlTaskParser {
 public:
  static constexpr int kNoMacro = 309;
  static constexpr int kNoMacrodefProvider = 310;

  explicit XmlTaskMacrodef(const QString& elementName) : XmlTaskParser(elementName) {}

  unsigned int taskType() const override;
  int parse(QXmlStreamReader& reader) override;
};
