#pragma once

#include "xml/result_codes.h"
#include "xml/xml_task_container.h"

class IXmlTaskParserFactory;

// "foreach": "item", "in", and any task elements as its children.
class XmlTaskForeach : public XmlTaskContainer {
 public:
  static constexpr int kNoParserFactory = xml_codes::kNoParserFactory;
  // Each nested loop costs stack while reading and again while running.
  static constexpr int kMaxNesting = 256;
  static constexpr int kNestedTooDeeply = xml_codes::kNestedTooDeeply;

  XmlTaskForeach();

  unsigned int taskType() const override;
  [[nodiscard]] int parse(QXmlStreamReader& reader) override;
  // Attaches the nested tasks to the new loop.
  [[nodiscard]] int createTask(ITask* parent, ITask** out) override;

  void setParserFactory(IXmlTaskParserFactory* factory) { parserFactory_ = factory; }
  IXmlTaskParserFactory* parserFactory() const { return parserFactory_; }

  [[nodiscard]] int parseChildTask(QXmlStreamReader& reader, const QString& name);

 private:
  IXmlTaskParserFactory* parserFactory_ = nullptr;
};
