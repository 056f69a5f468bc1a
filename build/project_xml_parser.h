#pragma once

#include "build/solution_info.h"
#include "xml/xml_parser.h"

#include <vector>

// Reads the "solutions" of one 'build rules' file into records, one per enabled, valid
// solution; a bad or disabled solution is logged and dropped. Includes are only logged.
class ProjectXmlParser : public XmlParser, public IXmlParserCallback {
 public:
  ProjectXmlParser();

  // The records of the last parse, in document order.
  void getSolutions(std::vector<SolutionInfo>& out) const { out = solutions_; }

  [[nodiscard]] int includeXml(const QString& callerId, const QString& parentFile, const QString& thisFile,
                               bool replaceVariables, const QString& variablesPrefix,
                               const QString& objectPrefix) override;

 protected:
  [[nodiscard]] int beginParse() override;
  [[nodiscard]] int parseElement() override;
  [[nodiscard]] int endParse() override;

 private:
  [[nodiscard]] int parseSolution();
  [[nodiscard]] int parseFileSet(FileSetInfo& out);
  // The attribute's value, or the empty text when the element lacks it.
  QString attribute(const char* name);
  void readOutputs(SolutionInfo& solution);
  void readVersionFiles(SolutionInfo& solution);
  void readDependences(SolutionInfo& solution);
  void readPlatformMappings(SolutionInfo& solution);
  void readAttributes(SolutionInfo& solution);

  std::vector<SolutionInfo> solutions_;
};
