#pragma once

#include "build/task_build_impl.h"
#include "platform/process_tree.h"

#include <QString>
#include <QStringList>

class QProcess;

// Builds a qmake project: qmake on the project file in the output build directory, then
// make there, the tools' output passed into the log; then the project's file sets are
// copied to the output directory and the build is recorded for the rest of the run.
class TaskBuildQmake : public TaskBuildImpl {
 public:
  static constexpr int kStartTimeoutMs = 300000;
  // What a tool writes within one step of this stands between one pair of banners.
  static constexpr int kFinishWaitMs = 500;
  // The most of a tool's output passed into the log at once.
  static constexpr qint64 kChunkBytes = 16384;

  TaskBuildQmake(std::uint64_t id, ITask* parent);
  ~TaskBuildQmake() override;

  // Logs the output subdirectory and, when it applies recursively, hands it to the
  // dependences' tasks (those of the build task). Always 0.
  [[nodiscard]] int preStart(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                             IConditionHandler* handler, INotifications* notifications) override;
  [[nodiscard]] int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler, INotifications* notifications) override;

  // "{configuration:<c>;platform:<p>;toolset:<t>;qmake}"
  QString buildStateKey(const QString& configuration, const QString& platform,
                        const QString& platformToolset) const override;
  // buildStateKey followed directly by the output directory.
  QString projectBuildStateKey(const QString& configuration, const QString& platform,
                               const QString& platformToolset, const QString& outputDir) const override;

  // Waits for the process to start, then passes everything it writes into the log as it
  // comes, once, until it ends: what each step of kFinishWaitMs brings between banners
  // naming the task and the label. A run stopped by a signal ends the tool.
  void pumpProcessOutput(QProcess& process, platform::ChildRegistration& registration, const QString& label);

 private:
  [[nodiscard]] int build(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                          IConditionHandler* handler);
  // qmake, then make; the checks before them. Returns the code of the first failure.
  [[nodiscard]] int runTools(const BuildRun& run, IVariablesExpander* expander, IVariablesGetter* getter);
  // One tool run to its end in the build directory; false when it could not be started,
  // crashed or exited with another code than 0 (logged with failureCode's line).
  bool runTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
               const QString& label, const BuildRun& run);
  [[nodiscard]] int copyOutputs(const BuildRun& run, IVariablesExpander* expander, IVariablesGetter* getter,
                                IConditionHandler* handler);
};
