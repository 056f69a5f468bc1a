#pragma once

#include "core/file_utils.h"
#include "tasks/task_with_file_sets.h"

#include <QString>

class FileSetFilter;

// Copies one file to a file and/or into a directory, and the files of its file sets
// into a directory tree. A target is replaced through a temporary file renamed over
// it; a copy onto the very same file does nothing.
class TaskCopyFiles : public TaskWithFileSets {
 public:
  static constexpr int kType = 305;

  TaskCopyFiles(std::uint64_t id, ITask* parent);
  ~TaskCopyFiles() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  struct Options {
    bool overwrite = true;
    bool verbose = true;
  };
  // One walk over a set: the filter, and the target tree that the walk must not enter
  // (known once it exists: the walk itself may make it).
  struct Walk {
    const FileSetFilter& filter;
    QString includesText;
    QString excludesText;
    QString targetRoot;
    platform::FileId targetRootId;
  };

  [[nodiscard]] int copy(IVariablesExpander* expander);
  // The interrupted code, logged: a stop came between two files.
  [[nodiscard]] int interrupted() const;
  [[nodiscard]] int copyFileToDir(const QString& file, const QString& dir, const Options& options);
  [[nodiscard]] int copyFile(const QString& file, const QString& toFile, const Options& options);
  // The tree below source into target; dir and targetDir are their paths, for the log
  // and the patterns.
  [[nodiscard]] int copyDirectory(Walk& walk, WalkDirectory& source, WalkDirectory& target, const QString& dir,
                                  const QString& targetDir, const Options& options);
  // Whether the directory name in source is the target tree, which the walk passes by.
  bool isTargetTree(Walk& walk, WalkDirectory& source, const QString& name, const QString& path,
                    const Options& options);
  // A file or link of the walk, at path in source, into targetDir (made at the first
  // file copied there).
  [[nodiscard]] int copyEntry(const Walk& walk, WalkDirectory& source, WalkDirectory& target,
                              const platform::DirEntry& entry, const QString& path, const QString& targetDir,
                              bool& targetMade, const Options& options);
  // Copies source (a link as the link) onto target unless it is the same file or,
  // with overwrite off, target exists. Each is named by its directory and its name;
  // the paths are for the log.
  [[nodiscard]] int copyOne(WalkDirectory& sourceDir, const QString& sourceName, const QString& source,
                            WalkDirectory& targetDir, const QString& targetName, const QString& target, bool asLink,
                            const Options& options);
  // The same for a file named by its path alone.
  [[nodiscard]] int copyOne(const QString& source, const QString& target, const Options& options);
};
