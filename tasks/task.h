#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class IPropertiesGetter;
class IPropertiesSetter;
class IVariablesExpander;
class IVariablesGetter;
class IVariablesSetter;
class IConditionHandler;
class INotifications;

// One step of a job. The slot order of the operations is fixed; keep it.
// enable_shared_from_this lets every holder of a plain task pointer join the one
// shared ownership (shareTask) instead of starting a second one.
class ITask : public std::enable_shared_from_this<ITask> {
 public:
  virtual ~ITask() = default;

  virtual std::uint64_t getId() const = 0;
  virtual int getType() const = 0;
  virtual QString getName() const = 0;
  virtual QString getComment() const = 0;
  virtual QString getCondition() const = 0;
  virtual QString getDepends() const = 0;
  virtual QString getFailOnError() const = 0;
  virtual QString getResultVar() const = 0;
  virtual QString getFile() const = 0;

  virtual bool isProjectTask() const = 0;
  virtual bool isContainer() const = 0;
  virtual bool isAttachedToProject() const = 0;
  virtual bool isDependsFromOtherProjects(IVariablesExpander* expander, IVariablesGetter* getter) = 0;
  virtual bool isEnabled() const = 0;
  virtual bool isPrepared() const = 0;
  virtual bool isProcessed() const = 0;
  virtual bool getStateFlag() const = 0;
  virtual bool isInterrupted() const = 0;

  virtual IPropertiesGetter* getProperties() = 0;
  virtual IPropertiesSetter* getPropertiesSetter() = 0;

  virtual void setId(std::uint64_t id) = 0;
  virtual void setComment(const QString& text) = 0;
  virtual void setCondition(const QString& text) = 0;
  virtual void setDepends(const QString& text) = 0;
  virtual void setFailOnError(const QString& text) = 0;
  virtual void setResultVar(const QString& text) = 0;
  virtual void setFile(const QString& path) = 0;
  virtual void setEnabled(bool value) = 0;
  virtual void setPrepared(bool value) = 0;
  virtual void setProcessed(bool value) = 0;

  virtual ITask* getParent() const = 0;
  virtual ITask* getParentTask() const = 0;
  virtual void setParent(ITask* parent) = 0;
  virtual int getChildCount() const = 0;
  [[nodiscard]] virtual int getChild(int index, ITask** out) const = 0;
  [[nodiscard]] virtual int addChild(ITask* child) = 0;
  [[nodiscard]] virtual int clearChildren() = 0;

  [[nodiscard]] virtual int onMessage(const QString& message) = 0;
  [[nodiscard]] virtual int checkCondition(IVariablesExpander* expander, IConditionHandler* handler, bool& result) = 0;
  [[nodiscard]] virtual int preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                                     IConditionHandler* handler, INotifications* notifications) = 0;
  [[nodiscard]] virtual int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                                  IConditionHandler* handler, INotifications* notifications) = 0;
  virtual void interrupt() = 0;
};

// The shared owner of a task: the existing one when some holder already owns it,
// else a new one that takes the plain pointer.
inline std::shared_ptr<ITask> shareTask(ITask* task) {
  if (!task) return nullptr;
  if (std::shared_ptr<ITask> owner = task->weak_from_this().lock()) return owner;
  return std::shared_ptr<ITask>(task);
}
