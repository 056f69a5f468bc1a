#pragma once

#include "core/file_set_info.h"
#include "tasks/task_common.h"

#include <vector>

// The base of the tasks that carry file sets from their element (copy, move, delete).
class TaskWithFileSets : public TaskCommon {
 public:
  using TaskCommon::TaskCommon;

  // Replaces the task's sets by a copy of the given ones.
  void setFileSets(const std::vector<FileSetInfo>& sets) { fileSets_ = sets; }
  const std::vector<FileSetInfo>& fileSets() const { return fileSets_; }

 protected:
  // A set as a walk uses it: its directory expanded, trimmed and made absolute against
  // the base directory; its patterns expanded and trimmed, empty ones dropped.
  struct WorkingSet {
    FileSetInfo set;
    // Includes were declared but every one came out empty: not the same as "all files".
    bool includesAllEmpty = false;
  };
  // Sets whose directory comes out empty are dropped.
  std::vector<WorkingSet> workingFileSets(IVariablesExpander* expander, const QString& baseDir) const;

  // The job file's directory, against which these tasks take relative paths; empty
  // for a task built without one.
  QString baseDirectory() const;
  // A non-empty path made absolute against a non-empty base and cleaned.
  static QString resolved(const QString& baseDir, const QString& path);

 private:
  std::vector<FileSetInfo> fileSets_;
};
