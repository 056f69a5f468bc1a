#pragma once

#include "xml/result_codes.h"
#include "xml/xml_parser.h"

#include <memory>

class IMacrodef;
class IMacrodefProvider;
class IProjectsProvider;
class ITaskFactory;
class ITaskHolder;
class IXmlTaskParserFactory;

// Reads a job file: "macrodefs" and "tasks" here, the shared elements in the base.
// Root tasks and macro definitions go to the task holder; included job files are
// read, where their "include" stands, by one child reader per level of nesting.
class JobXmlParser : public XmlParser, public IXmlParserCallback {
 public:
  static constexpr int kIncludeCycle = xml_codes::kIncludeCycle;
  // Each nested include holds a reader of its own on the stack.
  static constexpr int kMaxIncludeNesting = 64;
  static constexpr int kIncludesNestedTooDeeply = xml_codes::kIncludesNestedTooDeeply;
  static constexpr int kNoTaskHolder = xml_codes::kNoTaskHolder;
  static constexpr int kNoParserFactory = xml_codes::kNoParserFactory;
  static constexpr int kNotFound = xml_codes::kNotFound;
  static constexpr int kEmptyMacrodefName = xml_codes::kEmptyMacrodefName;
  static constexpr int kNoTaskFactory = xml_codes::kNoTaskFactory;

  JobXmlParser();
  ~JobXmlParser() override;

  void setProjectsProvider(IProjectsProvider* provider) { projectsProvider_ = provider; }
  void setMacrodefProvider(IMacrodefProvider* provider) { macrodefProvider_ = provider; }
  void setTaskParserFactory(IXmlTaskParserFactory* factory) { taskParserFactory_ = factory; }
  void setTaskFactory(ITaskFactory* factory) { taskFactory_ = factory; }
  void setTaskHolder(ITaskHolder* holder) { taskHolder_ = holder; }

  // 503 when thisFile is already being read by this reader or one that includes it.
  [[nodiscard]] int includeXml(const QString& callerId, const QString& parentFile, const QString& thisFile,
                               bool replaceVariables, const QString& variablesPrefix,
                               const QString& objectPrefix) override;

 protected:
  [[nodiscard]] int beginParse() override { return 0; }
  [[nodiscard]] int parseElement() override;
  [[nodiscard]] int endParse() override { return 0; }

 private:
  [[nodiscard]] int parseMacrodefs();
  [[nodiscard]] int parseTasks();
  [[nodiscard]] int parseMacrodef();
  [[nodiscard]] int parseMacrodefBody(IMacrodef* macrodef);
  // With a macro definition the task joins its body, else the root tasks.
  [[nodiscard]] int parseTask(const QString& name, IMacrodef* macrodef);
  bool isBeingRead(const QString& file) const;

  IProjectsProvider* projectsProvider_ = nullptr;
  IMacrodefProvider* macrodefProvider_ = nullptr;
  IXmlTaskParserFactory* taskParserFactory_ = nullptr;
  ITaskFactory* taskFactory_ = nullptr;
  ITaskHolder* taskHolder_ = nullptr;
  std::unique_ptr<JobXmlParser> childParser_;
  // The reader whose include this one serves; null for the job file's own reader.
  const JobXmlParser* includingParser_ = nullptr;
};
