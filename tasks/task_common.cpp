#include "tasks/task_common.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "core/variables_expander.h"
#include "tasks/result_codes.h"
#include "tasks/task_callbacks.h"

#include <QMutexLocker>
#include <QStringList>

QString expandedTrimmed(IVariablesExpander* expander, QString text) {
  if (text.isEmpty()) return text;  // no reference to expand: most common attributes are empty
  expandVariables(expander, text);
  return text.trimmed();
}

QString propertyText(IPropertiesGetter* properties, const QString& key) {
  QString value;
  if (!properties || properties->getString(key, value) != 0) return QString();
  return value;
}

namespace {

// The names of the task classes, each built once: a job of many tasks keeps one copy.
QString sharedTaskName(QLatin1String name) {
  static QMutex mutex;
  static std::vector<QString> names;  // one per task class that has been built
  QMutexLocker lock(&mutex);
  for (const QString& known : names)
    if (known == name) return known;
  names.emplace_back(name);
  return names.back();
}

}  // namespace

TaskCommon::TaskCommon(std::uint64_t id, const QString& name, ITask* parent)
    : parent_(parent), id_(id), name_(name) {}

TaskCommon::TaskCommon(std::uint64_t id, QLatin1String name, ITask* parent)
    : TaskCommon(id, sharedTaskName(name), parent) {}

TaskCommon::~TaskCommon() {
  std::vector<std::shared_ptr<ITask>> children;
  {
    QMutexLocker lock(&childrenMutex_);
    children.swap(children_);
  }
}

bool TaskCommon::isEnabled() const {
  QMutexLocker lock(&enabledMutex_);
  return enabled_;
}

bool TaskCommon::isPrepared() const {
  QMutexLocker lock(&preparedMutex_);
  return prepared_;
}

bool TaskCommon::isProcessed() const {
  QMutexLocker lock(&processedMutex_);
  return processed_;
}

bool TaskCommon::getStateFlag() const {
  QMutexLocker lock(&stateFlagMutex_);
  return stateFlag_;
}

bool TaskCommon::isInterrupted() const { return interrupted_.load(std::memory_order_relaxed); }

void TaskCommon::setEnabled(bool value) {
  QMutexLocker lock(&enabledMutex_);
  enabled_ = value;
}

void TaskCommon::setPrepared(bool value) {
  QMutexLocker lock(&preparedMutex_);
  prepared_ = value;
}

void TaskCommon::setProcessed(bool value) {
  QMutexLocker lock(&processedMutex_);
  processed_ = value;
}

void TaskCommon::markInterrupted() { interrupted_.store(true, std::memory_order_relaxed); }

int TaskCommon::getChildCount() const {
  QMutexLocker lock(&childrenMutex_);
  return static_cast<int>(children_.size());
}

int TaskCommon::getChild(int index, ITask** out) const {
  if (!out) return task_codes::kNullArgument;
  QMutexLocker lock(&childrenMutex_);
  if (index < 0 || index >= static_cast<int>(children_.size())) return task_codes::kIndexOutOfRange;
  *out = children_[static_cast<size_t>(index)].get();
  return 0;
}

int TaskCommon::addChild(ITask* child) {
  if (!child) return task_codes::kNullArgument;
  child->setParent(this);
  std::shared_ptr<ITask> owner = shareTask(child);
  QMutexLocker lock(&childrenMutex_);
  children_.push_back(std::move(owner));
  return 0;
}

int TaskCommon::clearChildren() {
  std::vector<std::shared_ptr<ITask>> children;
  {
    QMutexLocker lock(&childrenMutex_);
    children.swap(children_);
  }
  return 0;
}

int TaskCommon::checkCondition(IVariablesExpander* expander, IConditionHandler* handler, bool& result) {
  if (!handler) return task_codes::kNoConditionHandler;
  const QString raw = condition_;
  const QString text = expandedTrimmed(expander, raw);
  result = true;
  const int code = handler->evaluateCondition(text, result);
  // Built only for a line that is written: most tasks have no condition and log nothing here.
  auto tail = [&]() -> QString {
    return QLatin1String("    Condition template: '") + raw + QLatin1String("'. \n    Condition: '") + text +
           QLatin1String("'. \n    Task ID: ");
  };
  if (code != 0) {
    VLOG_ERROR(name_) << "Checking conditions. \n    Failed to calculate the condition. \n    Error: " << code
                      << ". \n" << tail() << id_;
    return code;
  }
  if (!result) {
    VLOG_INFO(name_) << "Checking conditions. \n    Condition was calculated successfully. Condition is false. \n"
                        "    This task will not be executed! \n"
                     << tail() << id_;
    return 0;
  }
  if (raw.isEmpty() || text.isEmpty()) return 0;
  VLOG_INFO(name_) << "Checking conditions. \n    Condition was calculated successfully. Condition is true. \n"
                   << tail() << id_;
  return 0;
}

QString TaskCommon::getCommentExpanded(IVariablesExpander* expander) const {
  QString text = comment_;
  expandVariables(expander, text);
  return text;
}

QString TaskCommon::getDependsExpanded(IVariablesExpander* expander) const {
  return expandedTrimmed(expander, depends_);
}

QString TaskCommon::getResultVarExpanded(IVariablesExpander* expander) const {
  return expandedTrimmed(expander, resultVar_);
}

bool TaskCommon::isFailOnError(IVariablesExpander* expander) const {
  return !isFalse(expandedTrimmed(expander, failOnError_));
}

bool TaskCommon::setVariable(IVariablesSetter* setter, const QString& name, const QString& value) {
  if (!setter || name.isEmpty()) return false;
  return setter->set(name, value) == 0;
}

QString TaskCommon::getParentTaskIds() const {
  QStringList ids;
  for (ITask* t = parent_; t; t = t->getParent()) ids << QString::number(t->getId());
  return ids.join(QLatin1Char(','));
}

QString TaskCommon::propertyText(const QString& key) { return ::propertyText(&properties_, key); }

QString TaskCommon::propertyText(QLatin1String key) {
  QString value;
  if (properties_.getString(key, value) != 0) return QString();
  return value;
}

int TaskCommon::finishStart(int code, IVariablesSetter* setter, const QString& resultVar, bool failOnError) const {
  if (!resultVar.isEmpty()) setVariable(setter, resultVar, QString::number(code));
  return failOnError ? code : 0;
}

int TaskCommon::checkFileNamed(const QString& file) const {
  if (file.isEmpty()) {
    VLOG_ERROR(name_) << "File not defined! Task ID: " << id_;
    return task_codes::kNotDefined;
  }
  if (!fileExists(file)) {
    VLOG_ERROR(name_) << "File '" << file << "' not found. Task ID: " << id_;
    return task_codes::kFileNotFound;
  }
  return task_codes::kOk;
}
