#include "build/task_build.h"

#include "build/result_codes.h"
#include "build/task_build_qmake.h"
#include "core/logger.h"
#include "project/iproject.h"
#include "tasks/result_codes.h"
#include "tasks/task_factory_impl.h"

using namespace build_codes;

namespace {
const QLatin1String kName("Build");
}

TaskBuild::TaskBuild(std::uint64_t id, ITask* parent) : TaskProject(id, kName, parent) {}

TaskBuild::~TaskBuild() {
  interrupt();
  builder_.reset();
}

void TaskBuild::interrupt() {
  QMutexLocker lock(&builderMutex_);
  markInterrupted();
  if (builder_) builder_->interrupt();
}

int TaskBuild::createConcreteTask(IVariablesExpander* expander) {
  const QString projectName = getProjectName(expander);
  if (projectName.isEmpty()) {
    VLOG_ERROR(kName) << "Project name not defined! Task ID: " << getId();
    return task_codes::kNoProjectName;
  }
  IProject* project = getProject(projectName);
  if (!project) {
    VLOG_ERROR(kName) << "Project with name '" << projectName << "' not found. Task ID: " << getId();
    return kUnknownProject;
  }
  const BuildTool buildType = project->getBuildType();
  if (buildType == BuildToolUnknown) {
    VLOG_ERROR(kName) << "Project build type is not defined! Task ID: " << getId();
    return kUnsupportedBuildType;
  }
  if (buildType != BuildToolQmake) {
    VLOG_ERROR(kName) << "Failed to create concrete project object! . Task ID: " << getId() << ". Project name: "
                      << projectName << ". Build type: " << static_cast<int>(buildType);
    return kUnsupportedBuildType;
  }
  auto builder = std::make_unique<TaskBuildQmake>(getId(), nullptr);
  builder->setActingFor(this);
  QMutexLocker lock(&builderMutex_);
  // A builder made after a stop came is stopped before it starts anything.
  if (isInterrupted()) builder->interrupt();
  builder_ = std::move(builder);
  return kOk;
}

int TaskBuild::preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                        IConditionHandler* handler, INotifications* notifications) {
  if (!builder_) {
    const int code = createConcreteTask(expander);
    if (code != kOk) return code;
  }
  // The same steps as the factory's: common attributes trimmed, every attribute copied
  // over, "projectName" as plain text.
  TaskFactoryImpl::applyCommonAttributes(getProperties(), builder_.get());
  builder_->setProjectsProvider(getProjectsProvider());
  TaskEnvironment environment;
  getEnvironment(environment);
  builder_->setEnvironment(environment);
  return builder_->preStart(expander, getter, setter, handler, notifications);
}

int TaskBuild::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                     IConditionHandler* handler, INotifications* notifications) {
  if (!builder_) return kNoBuilder;
  return builder_->start(expander, getter, setter, handler, notifications);
}
