#pragma once

#include "tasks/task_factory.h"

class IItemIdProvider;

class TaskFactoryImpl : public ITaskFactory {
 public:
  // 3 null attributes or out pointer, or a project task without a projects provider;
  // 308 a macro call without a macro provider; 309 no macro of that name; 2 an
  // unknown type id. A failed call creates nothing and draws no id.
  [[nodiscard]] int createTask(ITask* parent, unsigned int typeId, const QString& elementName,
                               IPropertiesGetter* attributes, IProjectsProvider* projects, IMacrodefProvider* macrodefs,
                               ITaskProjectPreprocessor* preprocessor, ITask** out) override;

  void setIdProvider(IItemIdProvider* provider) { idProvider_ = provider; }

  // The common attributes as trimmed texts, every attribute into the task's store,
  // and "projectName" again as plain text.
  static void applyCommonAttributes(IPropertiesGetter* attributes, ITask* task);

 private:
  IItemIdProvider* idProvider_ = nullptr;
};
