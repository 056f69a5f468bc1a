#pragma once

#include "build/build_rules_enum.h"
#include "build/ifile_enum_callback.h"
#include "build/project_xml_parser.h"
#include "core/case_blind_less.h"
#include "core/latin1_literal.h"
#include "core/variables.h"
#include "core/variables_mgr.h"
#include "intr/interpreter.h"
#include "intr/item_id_provider.h"
#include "manager/cmd_task_entry.h"
#include "manager/tasks_variables_expander.h"
#include "project/iproject.h"
#include "project/iprojects_provider.h"
#include "tasks/macrodef.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_factory_impl.h"
#include "tasks/task_project.h"
#include "xml/xml_task_parser_factory.h"
#include "xml/job_xml_parser.h"
#include "xml/xml_task_factory.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <set>
#include <vector>

// Owns every component of a run and is the callback of each: it reads the command
// line, the property files and the job, runs the root tasks and judges the run.
// The base order fixes the vtable slots; keep it. The operations live in one file
// per stage of the run, named after the stage: build_manager_<stage>.cpp.
class BuildManager : public IFileEnumCallback,
                     public ITaskHolder,
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

  static constexpr QLatin1String kLogTag = latin1("Mgr");

  // Lifecycle and start (build_manager.cpp).
  BuildManager();
  ~BuildManager() override;
  BuildManager(const BuildManager&) = delete;
  BuildManager& operator=(const BuildManager&) = delete;

  [[nodiscard]] int init();
  [[nodiscard]] int start(int argc, char** argv);

  // Command line (build_manager_command_line.cpp).
  [[nodiscard]] int parseCommandLine(int argc, char** argv);

  // Built-in variables and property files (build_manager_properties.cpp).
  [[nodiscard]] int initGlobalVariables();
  [[nodiscard]] int loadPropertyFile(const QString& path);
  static QString getApplicationDirectory();
  static QString getDefaultPropertiesFilePath();
  static QString getBasePropertiesFilePath();
  // What the default property file of init failed with; 0 when it loaded or was missing.
  int initResult();

  // Log-control variables (build_manager_log_control.cpp).
  bool onVariableSet(const QString& name, const QString& value, QString& replacement) override;

  // Job loading and the holder, parser-factory and macro callbacks (build_manager_job.cpp).
  [[nodiscard]] int loadJob();
  [[nodiscard]] int addTask(ITask* task) override;
  [[nodiscard]] int removeTask(ITask* task) override;
  [[nodiscard]] int addMacrodef(IMacrodef* macrodef) override;
  [[nodiscard]] int removeMacrodef(IMacrodef* macrodef) override;
  [[nodiscard]] int createParser(const QString& elementName, XmlTaskParser** out) override;
  bool contains(const QString& name) override;
  IMacrodef* find(const QString& name) override;

  // The 'build rules' scan (build_manager_scan.cpp).
  [[nodiscard]] int scan();
  // "svn.repository.dir" when it names an existing directory; else empty.
  QString getScanDirectory();
  [[nodiscard]] int directoryFound(std::uint32_t taskId, const QString& path) override;
  [[nodiscard]] int fileFound(std::uint32_t taskId, const QString& path) override;
  // 0, 402 for a name defined twice in the file, or the reader's code.
  [[nodiscard]] int parseBuildRules(const QString& path);

  // The project table (build_manager_projects.cpp).
  // The projects whose dependences name the project, with case, in table order.
  QStringList findParentProjects(const QString& name);
  bool exists(const QString& name) override;
  IProject* getProject(const QString& name) override;
  int count() override;
  IProject* getProjectAt(int index) override;

  // Project-task preparation (build_manager_project_tasks.cpp).
  [[nodiscard]] int prepareCmdTasks();
  [[nodiscard]] int prepareProjectTask(const QString& projectName, ITask* task) override;
  [[nodiscard]] int setProjectTaskVariables(IProject* project, ITask* task, bool setProjectName);
  bool calculateDependenceCondition(const QString& projectName, const ChildProject& dependence);
  [[nodiscard]] int addChildProjectTask(ITask* parent, IPropertiesGetter* properties, const ChildProject& dependence);
  [[nodiscard]] int addEnvironmentVariablesToChildTasks(ITask* task, const TaskEnvironment& environment);

  // Conditions (build_manager_conditions.cpp).
  [[nodiscard]] int evaluateCondition(const QString& text, bool& result) override;
  [[nodiscard]] int calculate(const QString& text, QString& result) override;

  // Root-task loop, notifications and the finish (build_manager_root_tasks.cpp).
  [[nodiscard]] int performTasks();
  [[nodiscard]] int startRootTask(ITask* task);
  [[nodiscard]] int sendMessage(int code, const QString& text) override;
  // Sound, box and the final result of a run that got past the running check.
  [[nodiscard]] int finish(int result);

  // What the run has read, for the callers that look at it afterwards (build_manager.cpp).
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
  // content: the file as the walker read it, or null to read it here.
  [[nodiscard]] int parseBuildRules(const QString& path, const QByteArray* content);
  [[nodiscard]] int loadExtraPropertyFile();
  // The project names below one root task, so that each dependence is one lookup.
  using ProjectTaskNames = std::set<QString, CaseBlindLess>;
  [[nodiscard]] int addChildProjectTask(ITask* parent, IPropertiesGetter* properties, const ChildProject& dependence,
                                        ProjectTaskNames& namesBelowRoot, int depth);
  void setRunning(bool running);

  QMutex runningMutex_;
  qint16 running_ = 0;

  QMutex finishMutex_;
  int finishState_ = FinishNone;
  QString finishMessage_;

  QMutex cmdTasksMutex_;
  std::vector<CmdTaskEntry> cmdTasks_;

  // Projects are only ever added, by the scan.
  void insertProject(const std::shared_ptr<IProject>& project, const QStringList& dependences);

  QMutex projectsMutex_;
  std::map<QString, std::shared_ptr<IProject>, CaseBlindLess> projects_;
  // The table's order by index, rebuilt on the first read after an insertion, so that
  // a walk over every index is linear.
  std::vector<IProject*> projectOrder_;
  bool projectOrderStale_ = false;
  // For each dependence name as written, the projects whose child list holds it.
  QHash<QString, QStringList> dependents_;

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
  // What the default property file failed with; a run does not start past it.
  int initResult_ = 0;

  BuildRulesEnum rulesEnum_;
  ProjectXmlParser projectParser_;
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
