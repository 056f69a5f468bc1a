#include "tasks/task_delete.h"

#include "core/file_set_filter.h"
#include "core/file_utils.h"
#include "core/interrupted.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

#include <vector>

namespace {
const QLatin1String kName("Delete");
}  // namespace

TaskDelete::TaskDelete(std::uint64_t id, ITask* parent) : TaskWithFileSets(id, kName, parent) {}

TaskDelete::~TaskDelete() { markInterrupted(); }

int TaskDelete::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter, IConditionHandler*,
                      INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(remove(expander), setter, resultVar, failOnError);
}

int TaskDelete::remove(IVariablesExpander* expander) {
  using namespace task_texts;
  const QString baseDir = baseDirectory();
  const QString file = resolved(baseDir, expandedTrimmed(expander, propertyText(kFile)));
  const QString dir = resolved(baseDir, expandedTrimmed(expander, propertyText(kDir)));
  const QString verboseText = expandedTrimmed(expander, propertyText(kVerbose));
  const bool verbose = !isFalse(verboseText);

  const QString in = indentUnit();
  VLOG_INFO(kName) << "Try to delete files. \r\n"
                   << in << "File: '" << file << "'.\r\n"
                   << in << "Directory: '" << dir << "'.\r\n"
                   << in << "Verbose: " << verboseText << ".\r\n"
                   << in << "File sets: " << fileSets().size() << ".\r\n"
                   << in << "Task ID: " << getId();

  if (file.isEmpty() && dir.isEmpty() && fileSets().empty()) {
    VLOG_WARNING(kName) << "No files to delete. ID: " << getId();
    return task_codes::kOk;
  }
  if (!file.isEmpty()) {
    const int code = removeFile(file, verbose);
    if (code != task_codes::kOk) return code;
  }
  if (!dir.isEmpty()) {
    const int code = removeDirectory(dir, verbose);
    if (code != task_codes::kOk) return code;
  }
  for (const WorkingSet& working : workingFileSets(expander, baseDir)) {
    const FileSetInfo& set = working.set;
    // Patterns that all came out empty name no file; taking that as "all files" would
    // empty the tree.
    if (working.includesAllEmpty) {
      VLOG_WARNING(kName) << "Every include pattern of the file set in '" << set.dir
                          << "' is empty: nothing is deleted there. Task ID: " << getId();
      continue;
    }
    if (!fileExists(set.dir)) continue;
    if (!dirExists(set.dir)) return task_codes::kDirectoryNotFound;
    if (isInterrupted()) return interrupted();
    const FileSetFilter filter(set.includes, set.excludes);
    WalkDirectory directory(fileSystemPath(set.dir), true);
    const int code = deleteInDirectory(filter, directory, set.dir, verbose);
    if (code != task_codes::kOk) return code;
  }
  return task_codes::kOk;
}

int TaskDelete::interrupted() const {
  return reportInterrupted(kName, "Deleting", getId());
}

int TaskDelete::removeFile(const QString& path, bool verbose) {
  // A dangling link is something to remove too.
  if (!fileIdOf(path, false).valid) return task_codes::kOk;
  if (!::removeFile(path)) {
    VLOG_ERROR(kName) << "Failed to remove the file '" << path << "'. Task ID: " << getId();
    return task_codes::kRemoveFileFailed;
  }
  if (verbose) VLOG_TRACE(kName) << "File '" << path << "' was removed. Task ID: " << getId();
  return task_codes::kOk;
}

int TaskDelete::removeDirectory(const QString& dir, bool verbose) {
  if (!dirExists(dir)) return task_codes::kOk;
  // A link is removed as the link, which takes nothing else with it.
  if (platform::entryKind(cleanAbsolutePath(dir)) == platform::EntryKind::Directory) {
    const QString place = protectedPlaceIn(dir, baseDirectory());
    if (!place.isEmpty()) {
      VLOG_ERROR(kName) << "Refused to remove the directory '" << dir << "': it is or holds " << place
                        << ". Task ID: " << getId();
      return task_codes::kRemoveDirectoryFailed;
    }
  }
  if (!removeDirectoryTree(dir, interruptFlag())) {
    if (isInterrupted()) return interrupted();
    VLOG_ERROR(kName) << "Failed to remove the directory '" << dir << "'. Task ID: " << getId();
    return task_codes::kRemoveDirectoryFailed;
  }
  if (verbose) VLOG_TRACE(kName) << "Directory '" << dir << "' was removed. Task ID: " << getId();
  return task_codes::kOk;
}

int TaskDelete::deleteInDirectory(const FileSetFilter& filter, WalkDirectory& directory, const QString& dir,
                                  bool verbose) {
  std::vector<platform::DirEntry> entries;
  const int listed = listDirectorySorted(directory, entries);
  // An unreadable directory lists nothing; one that cannot be listed otherwise would
  // keep its files unseen.
  if (!listsNothing(listed)) {
    VLOG_ERROR(kName) << "Failed to remove the files of the directory '" << dir
                      << "': " << listFailureReason(directory, listed) << ". Task ID: " << getId();
    return task_codes::kRemoveFileFailed;
  }
  for (const platform::DirEntry& entry : entries) {
    if (isInterrupted()) return interrupted();
    const QString path = childPath(dir, entry.name);
    if (entry.kind == platform::EntryKind::Directory) {
      directory.enter(entry.name);
      const int code = deleteInDirectory(filter, directory, path, verbose);
      directory.leave();
      if (code != task_codes::kOk) return code;
      continue;
    }
    if (entry.kind != platform::EntryKind::File && entry.kind != platform::EntryKind::Link) continue;
    if (filter.isExcluded(path) || !filter.isIncluded(path)) continue;
    if (!removeFileIn(directory, entry.name)) {
      VLOG_ERROR(kName) << "Failed to remove the file '" << path << "'. Task ID: " << getId();
      return task_codes::kRemoveFileFailed;
    }
    if (verbose) VLOG_TRACE(kName) << "File '" << path << "' was removed. Task ID: " << getId();
  }
  return task_codes::kOk;
}
