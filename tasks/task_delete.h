#pragma once

#include "core/file_utils.h"
#include "tasks/task_with_file_sets.h"

#include <QString>

class FileSetFilter;

// Removes one file, one directory tree and the matching files of its file sets. It
// never removes the file-system root, the home directory, nor a directory that holds
// the program, the job file or the current directory, and never follows a link.
class TaskDelete : public TaskWithFileSets {
 public:
  static constexpr int kType = 307;

  TaskDelete(std::uint64_t id, ITask* parent);
  ~TaskDelete() override;

  int getType() const override { return kType; }
  int start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
            IConditionHandler* handler, INotifications* notifications) override;
  void interrupt() override { markInterrupted(); }

 private:
  [[nodiscard]] int remove(IVariablesExpander* expander);
  // The interrupted code, logged: a stop came between two files.
  [[nodiscard]] int interrupted() const;
  [[nodiscard]] int removeFile(const QString& path, bool verbose);
  [[nodiscard]] int removeDirectory(const QString& dir, bool verbose);
  // The matching files below directory, whose path is dir.
  [[nodiscard]] int deleteInDirectory(const FileSetFilter& filter, WalkDirectory& directory, const QString& dir,
                                      bool verbose);
};
