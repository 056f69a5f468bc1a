#pragma once

#include <QString>

class XmlTaskParser;

// Hands out the parser for one task element, chosen by the element's name.
class IXmlTaskParserFactory {
 public:
  virtual ~IXmlTaskParserFactory() = default;
  // On success *out is a new parser that the caller owns.
  [[nodiscard]] virtual int createParser(const QString& elementName, XmlTaskParser** out) = 0;
};
