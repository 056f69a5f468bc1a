#pragma once

#include "core/condition_handler.h"

#include <QString>

class ITask;
class IMacrodef;

// The callbacks through which tasks reach the run; the driver implements them all
// (IConditionHandler with them, from core/).
// Every one is handed out as a plain, non-owning pointer.

class INotifications {
 public:
  static constexpr int kMessage = 100;
  static constexpr int kInterrupt = 200;
  static constexpr int kInterruptWithError = 201;

  virtual ~INotifications() = default;
  [[nodiscard]] virtual int sendMessage(int code, const QString& text) = 0;
};

class ITaskProjectPreprocessor {
 public:
  virtual ~ITaskProjectPreprocessor() = default;
  [[nodiscard]] virtual int prepareProjectTask(const QString& projectName, ITask* task) = 0;
};

// Receives the root tasks and macro definitions that the job reader built. On success
// the holder joins the task's ownership (shareTask) or owns the macro definition; what
// it refuses stays with the caller.
class ITaskHolder {
 public:
  virtual ~ITaskHolder() = default;
  [[nodiscard]] virtual int addTask(ITask* task) = 0;
  [[nodiscard]] virtual int removeTask(ITask* task) = 0;
  [[nodiscard]] virtual int addMacrodef(IMacrodef* macrodef) = 0;
  [[nodiscard]] virtual int removeMacrodef(IMacrodef* macrodef) = 0;
};

// Macro definitions by name, compared without regard to case.
class IMacrodefProvider {
 public:
  virtual ~IMacrodefProvider() = default;
  virtual bool contains(const QString& name) = 0;
  virtual IMacrodef* find(const QString& name) = 0;
};
