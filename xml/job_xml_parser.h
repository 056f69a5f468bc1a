#pragma once

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
  static constexpr int kIncludeCycle = 503;
  // Each nested include holds a reader of its own on the stack.
  static constexpr int kMaxIncludeNesting = 64;
  static constexpr int kIncludesNestedTooDeeply = 505;
  static constexpr int kNoTaskHolder = 306;
  static constexpr int kNoParserFactory = 307;
  static constexpr int kNotFound = 301;
  static constexpr int kEmptyMacrodefName = 802;
  static constexpr int kNoTaskFactory = 803;

  JobXmlParser();
  ~JobXmlParser() override;

  void setProjectsProvider(IProjectsProvider* provider) { projectsProvider_ = provider; }
  void setMacrodefProvider(IMacrodefProvider* provider) { macrodefProvider_ = provider; }
  void setTaskParserFactory(IXmlTaskParserFactory* factory) { taskParserFactory_ = factory; }
  void setTaskFactory(ITaskFactory* factory) { taskFactory_ = factory; }
  void setTaskHolder(ITaskHolder* holder) { taskHolder_ = holder; }

  // 503 when thisFile is already being read by this reader or one that includes it.
  int includeXml(const QString& callerId, const QString& parentFile, const QString& thisFile,
                 bool replaceVariables, const QString& variablesPrefix,
                 const QString& objectPrefix) override;

 protected:
  int beginParse() override { return 0; }
  int parseElement() override;
  int endParse() override { return 0; }

 private:
  int parseMacrodefs();
  int parseTasks();
  int parseMacrodef();
  int parseMacrodefBody(IMacrodef* macrodef);
  // With a macro definition the task joins its body, else the root tasks.
  int parseTask(const QString& name, IMacrodef* macrodef);
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
