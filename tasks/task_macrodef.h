#pragma once

#include "tasks/task_common.h"

class IMacrodef;
class ITaskProjectPreprocessor;

// A call of a user macro: runs the definition's tasks with this call's attributes
// as the macro parameters @{name}. Its name is the element name of the call.
class TaskMacrodef : public TaskCommon {
 public:
  static constexpr int kType = 3;
  // Calls nested deeper than this fail instead of exhausting the stack.
  static constexpr int kMaxNesting = 256;

  TaskMacrodef(std::uint64_t id, const QString& elementName, ITask* parent);
  ~TaskMacrodef() override;

  int getType() const override { return kType; }
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

  void setMacrodef(IMacrodef* macrodef) { macrodef_ = macrodef; }
  IMacrodef* getMacrodef() const { return macrodef_; }
  void setTaskProjectPreprocessor(ITaskProjectPreprocessor* preprocessor) { preprocessor_ = preprocessor; }
  ITaskProjectPreprocessor* getTaskProjectPreprocessor() const { return preprocessor_; }

 private:
  IMacrodef* macrodef_ = nullptr;
  ITaskProjectPreprocessor* preprocessor_ = nullptr;
};
