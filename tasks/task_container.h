#pragma once

#include "tasks/task_common.h"

class ITaskProjectPreprocessor;

// The base of tasks that run their own children; the runner leaves them alone.
class TaskContainer : public TaskCommon {
 public:
  using TaskCommon::TaskCommon;

  bool isContainer() const override { return true; }

  ITaskProjectPreprocessor* getTaskProjectPreprocessor() const { return preprocessor_; }
  void setTaskProjectPreprocessor(ITaskProjectPreprocessor* preprocessor) { preprocessor_ = preprocessor; }

 private:
  ITaskProjectPreprocessor* preprocessor_ = nullptr;
};
