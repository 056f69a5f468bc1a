#pragma once

#include <QString>

class ITask;
class IPropertiesGetter;
class IProjectsProvider;
class IMacrodefProvider;
class ITaskProjectPreprocessor;

// Turns a task type id into a task object with a fresh id and the element's attributes.
class ITaskFactory {
 public:
  virtual ~ITaskFactory() = default;
  // The caller owns the new task: it hands it to addChild or to the task holder.
  [[nodiscard]] virtual int createTask(ITask* parent, unsigned int typeId, const QString& elementName,
                                       IPropertiesGetter* attributes, IProjectsProvider* projects,
                                       IMacrodefProvider* macrodefs, ITaskProjectPreprocessor* preprocessor,
                                       ITask** out) = 0;
};
