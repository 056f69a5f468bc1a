#pragma once

#include "core/properties_mgr.h"
#include "xml/result_codes.h"

#include <QString>
#include <QXmlStreamReader>

#include <memory>

class IMacrodefProvider;
class INotifications;
class IProjectsProvider;
class ITask;
class ITaskFactory;
class ITaskProjectPreprocessor;
class IVariablesGetter;
class IXmlTaskParserFactory;
class IVariablesSetter;

// Reads one task element into string properties (values as written) and asks the
// task factory for the task. Lives for one element.
class XmlTaskParser {
 public:
  static constexpr int kNoOutPointer = xml_codes::kNullArgument;
  static constexpr int kNoTaskFactory = xml_codes::kNoTaskFactory;

  explicit XmlTaskParser(const QString& elementName) : elementName_(elementName) {}
  virtual ~XmlTaskParser() = default;
  XmlTaskParser(const XmlTaskParser&) = delete;
  XmlTaskParser& operator=(const XmlTaskParser&) = delete;

  virtual unsigned int taskType() const = 0;
  // Called on the element's start tag; leaves the reader at its end tag.
  [[nodiscard]] virtual int parse(QXmlStreamReader& reader) = 0;
  // On success *out is a new task that the caller owns.
  [[nodiscard]] virtual int createTask(ITask* parent, ITask** out);

  void setTaskFactory(ITaskFactory* factory) { taskFactory_ = factory; }
  void setVariablesGetter(IVariablesGetter* getter) { variablesGetter_ = getter; }
  void setVariablesSetter(IVariablesSetter* setter) { variablesSetter_ = setter; }
  void setProjectsProvider(IProjectsProvider* provider) { projectsProvider_ = provider; }
  void setMacrodefProvider(IMacrodefProvider* provider) { macrodefProvider_ = provider; }
  void setNotifications(INotifications* notifications) { notifications_ = notifications; }
  void setProjectPreprocessor(ITaskProjectPreprocessor* preprocessor) { projectPreprocessor_ = preprocessor; }

  ITaskFactory* taskFactory() const { return taskFactory_; }
  IVariablesGetter* variablesGetter() const { return variablesGetter_; }
  IVariablesSetter* variablesSetter() const { return variablesSetter_; }
  IProjectsProvider* projectsProvider() const { return projectsProvider_; }
  IMacrodefProvider* macrodefProvider() const { return macrodefProvider_; }
  INotifications* notifications() const { return notifications_; }
  ITaskProjectPreprocessor* projectPreprocessor() const { return projectPreprocessor_; }

  void setXmlFile(const QString& path) { xmlFile_ = path; }
  QString xmlFile() const { return xmlFile_; }
  QString elementName() const { return elementName_; }
  PropertiesMgr& properties() { return properties_; }

  // "comment", "condition", "depends", "failonerror", "resultvar": always present.
  void parseCommonAttributes(QXmlStreamReader& reader);
  // The value as written, the empty text when absent; the key is always set.
  void readAttributeIntoProperty(QXmlStreamReader& reader, const QString& attribute, const QString& key);

 private:
  ITaskFactory* taskFactory_ = nullptr;
  IVariablesGetter* variablesGetter_ = nullptr;
  IVariablesSetter* variablesSetter_ = nullptr;
  IProjectsProvider* projectsProvider_ = nullptr;
  IMacrodefProvider* macrodefProvider_ = nullptr;
  INotifications* notifications_ = nullptr;
  ITaskProjectPreprocessor* projectPreprocessor_ = nullptr;
  PropertiesMgr properties_;
  QString elementName_;
  QString xmlFile_;
};

// The step at which a task element failed to become a task.
enum class TaskElementStep { CreateParser, Parse, CreateTask };

// The one road from a task element to its task: the factory's parser for name reads
// the element the reader stands on (from xmlFile) and creates the task, without a
// parent. A factory that answers 0 without a parser counts as 301. On failure
// failedStep names the step that gave the code and task stays empty.
[[nodiscard]] int createTaskFromElement(IXmlTaskParserFactory* factory, QXmlStreamReader& reader,
                                        const QString& name, const QString& xmlFile, std::shared_ptr<ITask>& task,
                                        TaskElementStep& failedStep);
