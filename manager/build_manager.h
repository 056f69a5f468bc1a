#pragma once

#include "core/case_blind_less.h"
#include "core/variables.h"
#include "core/variables_mgr.h"
#include "intr/interpreter.h"
#include "intr/item_id_provider.h"
#include "manager/cmd_task_entry.h"
#include "manager/tasks_variables_expander.h"
#include "project/iprojects_provider.h"
#include "tasks/macrodef.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_factory_impl.h"
#include "xml/xml_task_parser_factory.h"
#include "xml/job_xml_parser.h"
#include "xml/xml_task_factory.h"

#include <QMutex>
#include <QString>

#include <map>
#include <memory>
#include <vector>

// Owns every component of a run and is the callback of each: it reads the command
// line, the property files and the job, runs the root tasks and judges the run.
// The base order fixes the vtable slots; keep it.
class BuildManager : public ITaskHolder,
                     public IXmlTaskParserFactory,
                     public IProjectsProvider,
                     public IMacrodefProvider,
                     public IConditionHandler,
                     public ITaskProjectPreprocessor,
                     public INotifications,
                     public TasksVariablesExpander,
                     public ProjectsVariablesExpander,
                     public IVariablesSetTrigger {
 public:
  enum FinishState : int { FinishNone = 0, FinishInterrupted = 1, FinishInterruptedWithError = 2 };

  static constexpr int kAlreadyRunning = 10;
  static constexpr int kJobNotFound = 20;
  static constexpr int kInterrupted = 30;

  BuildManager();
  ~BuildManager() override;
  BuildManager(const BuildManager&) = delete;
  BuildManager& operator=(const BuildManager&) = delete;

  int init();
  int start(int argc, char** argv);

  // The stages of start, in their order.
  int parseCommandLine(int argc, char** argv);
  int loadJob();
  int performTasks();
  int startRootTask(ITask* task);
  // Sound, box and the final result of a run that got past the running check.
  int finish(int result);

  int initGlobalVariables();
  int loadPropertyFile(const QString& path);
  static QString getApplicationDirectory();
  static QString getDefaultPropertiesFilePath();
  static QString getBasePropertiesFilePath();

  // ITaskHolder
  int addTask(ITask* task) override;
  int removeTask(ITask* task) override;
  int addMacrodef(IMacrodef* macrodef) override;
  int removeMacrodef(IMacrodef* macrodef) override;

  // IXmlTaskParserFactory
  int createParser(const QString& elementName, XmlTaskParser** out) override;

  // IProjectsProvider
  bool exists(const QString& name) override;
  IProject* getProject(const QString& name) override;
  int count() override;
  IProject* getProjectAt(int index) override;

  // IMacrodefProvider
  bool contains(const QString& name) override;
  IMacrodef* find(const QString& name) override;

  // IConditionHandler
  int evaluateCondition(const QString& text, bool& result) override;
  int calculate(const QString& text, QString& result) override;

  // ITaskProjectPreprocessor
  int prepareProjectTask(const QString& projectName, ITask* task) override;

  // INotifications
  int sendMessage(int code, const QString& text) override;

  // IVariablesSetTrigger
  bool onVariableSet(const QString& name, const QString& value, QString& replacement) override;

  // What the run has read, for the callers that look at it afterwards.
  VariablesMgr& globalVariables() { return globalVariables_; }
  VariablesMgr& projectVariables() { return projectVariables_; }
  std::vector<CmdTaskEntry> cmdTasks();
  std::vector<std::shared_ptr<ITask>> rootTasks();
  QString jobFilePath();
  QString propertiesFilePath();
  QString scanDirectory();
  bool stopOnError();
  int finishState();
  bool isRunning();

  IVariablesExpander* tasksExpander() { return static_cast<TasksVariablesExpander*>(this); }
  IVariablesExpander* projectsExpander() { return static_cast<ProjectsVariablesExpander*>(this); }

 protected:
  IVariablesGetter* tasksVariables() override { return &globalVariables_; }
  IVariablesGetter* projectsVariables() override { return &projectVariables_; }

 private:

  int loadExtraPropertyFile();
  void setRunning(bool running);
  void setRunPath(QString BuildManager::*field, const QString& path);

  QMutex runningMutex_;
  qint16 running_ = 0;

  QMutex finishMutex_;
  int finishState_ = FinishNone;
  QString finishMessage_;

  QMutex cmdTasksMutex_;
  std::vector<CmdTaskEntry> cmdTasks_;

  QMutex projectsMutex_;
  std::map<QString, std::shared_ptr<IProject>, CaseBlindLess> projects_;

  QMutex rootTasksMutex_;
  std::vector<std::shared_ptr<ITask>> rootTasks_;

  QMutex macrodefsMutex_;
  std::vector<std::shared_ptr<IMacrodef>> macrodefs_;
  // The first definition of each name, so that every call element is one lookup.
  std::map<QString, IMacrodef*, CaseBlindLess> macrodefsByName_;

  QMutex settingsMutex_;
  bool stopOnError_ = true;
  QString propertiesFilePath_;
  QString scanDirectory_;
  QString jobFilePath_;

  JobXmlParser jobParser_;
  VariablesMgr projectVariables_;
  VariablesMgr globalVariables_;
  TaskFactoryImpl taskFactory_;
  XmlTaskFactory xmlTaskFactory_;
  ItemIdProviderImpl projectIds_;
  ItemIdProviderImpl taskIds_;
  ItemIdProviderImpl macrodefIds_;
  intr::Interpreter interpreter_;
};
