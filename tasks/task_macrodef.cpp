#include "tasks/task_macrodef.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "core/scoped_variables_expander.h"
#include "core/text_helpers.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/macrodef.h"
#include "tasks/result_codes.h"
#include "tasks/task_runner.h"
#include "tasks/task_texts.h"

namespace {

// Active calls on this thread; a recursive macro would otherwise overflow the stack.
thread_local int g_nesting = 0;

struct NestingGuard {
  NestingGuard() { ++g_nesting; }
  ~NestingGuard() { --g_nesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

}  // namespace

TaskMacrodef::TaskMacrodef(std::uint64_t id, const QString& elementName, ITask* parent)
    : TaskCommon(id, elementName, parent) {}

TaskMacrodef::~TaskMacrodef() { markInterrupted(); }

int TaskMacrodef::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                        IConditionHandler* handler, INotifications* notifications) {
  const QString tag = task_texts::kMacrodef;
  if (!macrodef_) return task_codes::kCallWithoutMacrodef;
  if (g_nesting >= kMaxNesting) {
    VLOG_ERROR(tag) << "Macro calls are nested too deeply (limit " << kMaxNesting << "). Macro: '"
                    << macrodef_->getName() << "'. Task ID: " << getId();
    return task_codes::kMacroCallsNestedTooDeeply;
  }
  NestingGuard nesting;

  // The parameters live for this run only, so a macro that calls itself through
  // this same task keeps the values of the outer run.
  VariablesMgr parameters;
  const int attributeCount = macrodef_->getAttributeCount();
  for (int i = 0; i < attributeCount; ++i) {
    QString name;
    if (macrodef_->getAttribute(i, name) != 0) continue;
    QString value = propertyText(macroPropertyName(name));
    int code = expandVariablesChecked(expander, value);
    if (code == 0) code = parameters.set(name, value);
    if (code != 0) {
      VLOG_ERROR(tag) << "Failed to set the macro parameter '" << name << "'. Error: " << code
                      << ". Macro: '" << macrodef_->getName() << "'. Task ID: " << getId();
      return finishStart(code, setter, getResultVarExpanded(expander), isFailOnError(expander));
    }
  }
  // One scope over the caller's: the parameters of every enclosing call are looked up
  // with this call's, so a text costs the same at any depth of calls.
  ScopedVariablesExpander callExpander(VariablesExpanderHelper::KindAt, &parameters, expander);

  const QString resultVar = getResultVarExpanded(&callExpander);
  const bool failOnError = isFailOnError(&callExpander);

  int code = 0;
  if (!isInterruptTasks(getter)) {
    for (int index = 0; index < macrodef_->getTaskCount(); ++index) {
      if (isInterrupted()) {
        code = core_codes::kInterrupted;
        break;
      }
      if (isInterruptTasks(getter)) break;
      ITask* task = nullptr;
      code = macrodef_->getTask(index, &task);
      if (code != 0) {
        VLOG_ERROR(tag) << "Failed to get child task object by index. Error: " << code << ". Index: " << index
                        << ". Task ID: " << getId();
        break;
      }
      code = startTask(tag, task, &callExpander, getter, setter, handler, notifications, preprocessor_);
      if (code == 0) continue;
      if (isInterruptTasksOnError(getter)) {
        VLOG_ERROR(tag) << "Failed to process tasks! Processing of following tasks will be interrupted. Error: "
                        << code << ". Task name: '" << task->getName() << "'. Task ID: " << task->getId() << ". ";
        break;
      }
      VLOG_WARNING(tag) << "Failed to process tasks! Processing of following tasks will be continued. Error: "
                        << code << ". Task name: '" << task->getName() << "'. Task ID: " << task->getId() << ". ";
    }
  }
  return finishStart(code, setter, resultVar, failOnError);
}
