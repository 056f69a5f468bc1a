#pragma once

#include "xml/xml_task_parser.h"

#include <memory>
#include <vector>

class ITask;

// A parser whose element holds task elements: their tasks, in document order.
class XmlTaskContainer : public XmlTaskParser {
 public:
  using XmlTaskParser::XmlTaskParser;

 protected:
  std::vector<std::shared_ptr<ITask>> childTasks_;
};
