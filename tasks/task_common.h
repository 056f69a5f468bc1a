#pragma once

#include "core/properties_mgr.h"
#include "tasks/task.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

// The base of every task class: identity, the common attribute texts, the task's own
// property store, the flags, the parent link and the owned children.
class TaskCommon : public ITask {
 public:
  TaskCommon(std::uint64_t id, const QString& name, ITask* parent);
  // A task class's fixed name: built once and shared by every task of the class.
  TaskCommon(std::uint64_t id, QLatin1String name, ITask* parent);
  ~TaskCommon() override;
  TaskCommon(const TaskCommon&) = delete;
  TaskCommon& operator=(const TaskCommon&) = delete;

  std::uint64_t getId() const override { return id_; }
  QString getName() const override { return name_; }
  QString getComment() const override { return comment_; }
  QString getCondition() const override { return condition_; }
  QString getDepends() const override { return depends_; }
  QString getFailOnError() const override { return failOnError_; }
  QString getResultVar() const override { return resultVar_; }
  QString getFile() const override { return file_; }

  bool isProjectTask() const override { return false; }
  bool isContainer() const override { return false; }
  bool isAttachedToProject() const override { return true; }
  bool isDependsFromOtherProjects(IVariablesExpander*, IVariablesGetter*) override { return true; }
  bool isEnabled() const override;
  bool isPrepared() const override;
  bool isProcessed() const override;
  bool getStateFlag() const override;
  bool isInterrupted() const override;

  IPropertiesGetter* getProperties() override { return &properties_; }
  IPropertiesSetter* getPropertiesSetter() override { return &properties_; }

  void setId(std::uint64_t id) override { id_ = id; }
  void setComment(const QString& text) override { comment_ = text; }
  void setCondition(const QString& text) override { condition_ = text; }
  void setDepends(const QString& text) override { depends_ = text; }
  void setFailOnError(const QString& text) override { failOnError_ = text; }
  void setResultVar(const QString& text) override { resultVar_ = text; }
  void setFile(const QString& path) override { file_ = path; }
  void setEnabled(bool value) override;
  void setPrepared(bool value) override;
  void setProcessed(bool value) override;

  ITask* getParent() const override { return parent_; }
  ITask* getParentTask() const override { return parent_; }
  void setParent(ITask* parent) override { parent_ = parent; }
  int getChildCount() const override;
  [[nodiscard]] int getChild(int index, ITask** out) const override;
  [[nodiscard]] int addChild(ITask* child) override;
  [[nodiscard]] int clearChildren() override;

  [[nodiscard]] int onMessage(const QString&) override { return 0; }
  [[nodiscard]] int checkCondition(IVariablesExpander* expander, IConditionHandler* handler, bool& result) override;
  [[nodiscard]] int preStart(IVariablesExpander*, IVariablesGetter*, IVariablesSetter*, IConditionHandler*,
                             INotifications*) override {
    return 0;
  }

  QString getCommentExpanded(IVariablesExpander* expander) const;
  QString getDependsExpanded(IVariablesExpander* expander) const;
  QString getResultVarExpanded(IVariablesExpander* expander) const;
  // True unless the expanded, trimmed text is a false word: empty counts as true.
  bool isFailOnError(IVariablesExpander* expander) const;
  static bool setVariable(IVariablesSetter* setter, const QString& name, const QString& value);
  // Ids of the enclosing tasks, nearest first, joined by ",".
  QString getParentTaskIds() const;

 protected:
  // The body every concrete interrupt() and destructor uses.
  void markInterrupted();
  // The flag that isInterrupted reads, for a loop below this layer to check between files.
  const std::atomic<bool>* interruptFlag() const { return &interrupted_; }
  // A property read as text; empty when missing or not text.
  QString propertyText(const QString& key);
  QString propertyText(QLatin1String key);  // the same, without building a QString of the key
  // The common end of start(): the code into the result variable, returned only
  // when fail-on-error holds.
  [[nodiscard]] int finishStart(int code, IVariablesSetter* setter, const QString& resultVar, bool failOnError) const;
  // The first checks of a task that works on a named file: 71 for an empty name, 72
  // when nothing is there, each logged with the task's name and id; else 0.
  [[nodiscard]] int checkFileNamed(const QString& file) const;

 private:
  // Read between every two files of a long walk: a load, not a lock.
  std::atomic<bool> interrupted_{false};
  mutable QMutex enabledMutex_;
  bool enabled_ = true;
  mutable QMutex stateFlagMutex_;
  bool stateFlag_ = false;
  mutable QMutex processedMutex_;
  bool processed_ = false;
  mutable QMutex preparedMutex_;
  bool prepared_ = false;
  QString comment_;
  QString condition_;
  QString depends_;
  QString failOnError_;
  QString resultVar_;
  PropertiesMgr properties_;
  ITask* parent_;
  mutable QMutex childrenMutex_;
  std::vector<std::shared_ptr<ITask>> children_;
  std::uint64_t id_;
  QString name_;
  QString file_;
};

// Both the text expanded (a null expander leaves it) and trimmed.
QString expandedTrimmed(IVariablesExpander* expander, QString text);

// A property read as text; empty when there is no store, or the property is missing
// or not text.
QString propertyText(IPropertiesGetter* properties, const QString& key);
