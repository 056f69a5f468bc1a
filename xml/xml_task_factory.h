#pragma once

#include "xml/result_codes.h"
#include "xml/xml_task_parser_factory.h"

class IMacrodefProvider;
class INotifications;
class IProjectsProvider;
class ITaskFactory;
class ITaskProjectPreprocessor;
class IVariablesGetter;
class IVariablesSetter;

// Picks the parser by element name: a built-in element word first, then a defined
// macro; anything else is 301. Every parser is wired from the factory's fields.
class XmlTaskFactory : public IXmlTaskParserFactory {
 public:
  static constexpr int kNoOutPointer = xml_codes::kNullArgument;
  static constexpr int kNotFound = xml_codes::kNotFound;

  [[nodiscard]] int createParser(const QString& elementName, XmlTaskParser** out) override;

  void setTaskFactory(ITaskFactory* factory) { taskFactory_ = factory; }
  void setVariablesGetter(IVariablesGetter* getter) { variablesGetter_ = getter; }
  void setVariablesSetter(IVariablesSetter* setter) { variablesSetter_ = setter; }
  void setProjectsProvider(IProjectsProvider* provider) { projectsProvider_ = provider; }
  void setMacrodefProvider(IMacrodefProvider* provider) { macrodefProvider_ = provider; }
  void setNotifications(INotifications* notifications) { notifications_ = notifications; }
  void setProjectPreprocessor(ITaskProjectPreprocessor* preprocessor) { projectPreprocessor_ = preprocessor; }

 private:
  ITaskFactory* taskFactory_ = nullptr;
  IVariablesGetter* variablesGetter_ = nullptr;
  IVariablesSetter* variablesSetter_ = nullptr;
  IProjectsProvider* projectsProvider_ = nullptr;
  IMacrodefProvider* macrodefProvider_ = nullptr;
  INotifications* notifications_ = nullptr;
  ITaskProjectPreprocessor* projectPreprocessor_ = nullptr;
};
