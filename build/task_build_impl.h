#pragma once

#include "tasks/task_types.h"
#include "tasks/task_project.h"

#include <QProcessEnvironment>
#include <QString>

class IProject;

// What one start of a builder works with, read once at its beginning. The output
// directories are absolute against the current directory of that moment, so qmake,
// make, the copy and the log lines all name the same places.
struct BuildRun {
  QString projectName;
  IProject* project = nullptr;
  QString output;  // with the preferred output subdirectory
  QString outputBuildDir;
  QString configuration;
  QString target;
  QString platform;  // mapped
  QString platformToolset;
  QString rootDir;
  QString projectFile;  // absolute once there is one; empty when not defined
  QString extraParam;
};

// The base of the concrete builders that a build task hands its work to: the build
// attributes, the output directory, the per-project state that stops a project from
// being built or copied twice in a run, the tools' environment and the build summary.
class TaskBuildImpl : public TaskProject {
 public:
  static constexpr int kType = task_types::kBuild;

  using TaskProject::TaskProject;

  int getType() const override { return kType; }
  void interrupt() override { markInterrupted(); }

  // The key under which a finished build is recorded in the project's "built".
  virtual QString buildStateKey(const QString& configuration, const QString& platform,
                                const QString& platformToolset) const = 0;
  // The key under which a build copied to one output directory is recorded in the
  // project's "resultoutputs".
  virtual QString projectBuildStateKey(const QString& configuration, const QString& platform,
                                       const QString& platformToolset, const QString& outputDir) const = 0;

  // The build task this builder works for: its place in the task tree gives the
  // summary's parent tasks and projects and the dependences that an output
  // subdirectory reaches. Without one the builder stands for itself.
  void setActingFor(TaskProject* task) { actingFor_ = task; }
  TaskProject* actingFor() { return actingFor_ ? actingFor_ : this; }

  // The attributes, expanded and trimmed; the property store's code when missing.
  [[nodiscard]] int getConfiguration(IVariablesExpander* expander, QString& out);
  [[nodiscard]] int getTarget(IVariablesExpander* expander, QString& out);
  [[nodiscard]] int getExtraParam(IVariablesExpander* expander, QString& out);
  // Expanded, not trimmed.
  [[nodiscard]] int getOutputBuildDir(IVariablesExpander* expander, QString& out);
  // Replaced by the "to" of the project's first platform mapping whose "from" it equals,
  // ignoring case.
  [[nodiscard]] int getPlatform(IVariablesExpander* expander, QString& out);
  // The attribute, else the project's own toolset: 314 without a project name, 400
  // when the project is not in the table.
  [[nodiscard]] int getPlatformToolset(IVariablesExpander* expander, QString& out);
  // "rootdir", else the directory of the project's build rules; empty without a project.
  QString getRootDir(IVariablesExpander* expander);
  // "projectFile", else the project's project file against the root directory (the
  // root directory itself, ending in a separator, when the project names none); empty
  // without a project.
  QString getProjectFilePath(IVariablesExpander* expander);
  // The output directory, absolute, with the preferred output subdirectory added:
  // 304 without "output", 314 without a project name.
  [[nodiscard]] int getOutputDirectory(QString& out, IVariablesExpander* expander, IVariablesGetter* getter);
  bool isSkipBuild(IVariablesExpander* expander);

  // Reads everything a start needs into run: the codes of getOutputDirectory, 314 and
  // 400. Lines about a failure are logged here.
  [[nodiscard]] int readBuildRun(IVariablesExpander* expander, IVariablesGetter* getter, BuildRun& run);

  bool isAlreadyBuilt(const BuildRun& run) const;
  bool isAlreadyProcessed(const BuildRun& run) const;
  // Records the run's keys in the project's lists; the store's code on failure.
  [[nodiscard]] int markBuilt(const BuildRun& run) const;
  [[nodiscard]] int markProcessed(const BuildRun& run) const;

  // The task's name-value entries with names and values expanded, names trimmed and
  // empty names left out.
  QProcessEnvironment getProcessEnvironment(IVariablesExpander* expander) const;
  // "name=value" entries joined by ";", in name order.
  static QString environmentToText(const QProcessEnvironment& environment);

  // The build summary: one info line in the task-build category.
  void logBuildInfo(const QString& message, const BuildRun& run, IVariablesExpander* expander,
                    IVariablesGetter* getter);

 private:
  TaskProject* actingFor_ = nullptr;
};
