#pragma once

#include "xml/result_codes.h"
#include "xml/xml_task_parser.h"

// An element named after a defined macro: a call, with one property per declared
// attribute of the macro.
class XmlTaskMacrodef : public XmlTaskParser {
 public:
  static constexpr int kNoMacro = xml_codes::kNoMacro;
  static constexpr int kNoMacrodefProvider = xml_codes::kNoMacrodefProvider;

  explicit XmlTaskMacrodef(const QString& elementName) : XmlTaskParser(elementName) {}

  unsigned int taskType() const override;
  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
};
