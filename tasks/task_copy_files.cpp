#include "tasks/task_copy_files.h"

#include "core/file_set_filter.h"
#include "core/file_utils.h"
#include "core/interrupted.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

#include <QFileInfo>
#include <QStringList>

#include <vector>

namespace {

const QLatin1String kName("CopyFiles");
// The copy operations log under their own tag.
const QLatin1String kCopyTag("TaskCopyFiles");

QString includesText(const std::vector<FileSetInclude>& includes) {
  QStringList parts;
  for (const FileSetInclude& include : includes)
    parts << include.name + QLatin1String(" (") + include.targetsubdir + QLatin1Char(')');
  return parts.join(QLatin1Char(','));
}

}  // namespace

TaskCopyFiles::TaskCopyFiles(std::uint64_t id, ITask* parent) : TaskWithFileSets(id, kName, parent) {}

TaskCopyFiles::~TaskCopyFiles() { markInterrupted(); }

int TaskCopyFiles::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                         IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(copy(expander), setter, resultVar, failOnError);
}

int TaskCopyFiles::copy(IVariablesExpander* expander) {
  using namespace task_texts;
  const QString baseDir = baseDirectory();
  const QString file = resolved(baseDir, expandedTrimmed(expander, propertyText(kFile)));
  const QString toFile = resolved(baseDir, expandedTrimmed(expander, propertyText(kToFile)));
  const QString toDir = resolved(baseDir, expandedTrimmed(expander, propertyText(kToDir)));
  const QString overwrite = expandedTrimmed(expander, propertyText(kOverwrite));
  // Read and logged only.
  const QString force = expandedTrimmed(expander, propertyText(kForce));
  const QString verbose = expandedTrimmed(expander, propertyText(kVerbose));
  Options options;
  options.overwrite = !isFalse(overwrite);
  options.verbose = !isFalse(verbose);

  const QString in = indentUnit();
  VLOG_INFO(kName) << "Try to copy files. \r\n"
                   << in << "File: '" << file << "'.\r\n"
                   << in << "To file: '" << toFile << "'.\r\n"
                   << in << "To directory: '" << toDir << "'.\r\n"
                   << in << "Overwrite: " << overwrite << ".\r\n"
                   << in << "Force: " << force << ".\r\n"
                   << in << "Verbose: " << verbose << ".\r\n"
                   << in << "File sets: " << fileSets().size() << ".\r\n"
                   << in << "Task ID: " << getId();

  if (file.isEmpty() && fileSets().empty()) {
    VLOG_WARNING(kName) << "No files to copy. ID: " << getId();
    return task_codes::kOk;
  }
  if (toFile.isEmpty() && toDir.isEmpty()) {
    VLOG_ERROR(kName) << "Destination file and directory not defined! ID: " << getId();
    return task_codes::kNoDestination;
  }
  if (!toDir.isEmpty()) {
    const int code = copyFileToDir(file, toDir, options);
    if (code != task_codes::kOk) return code;
  }
  if (!toFile.isEmpty()) {
    const int code = copyFile(file, toFile, options);
    if (code != task_codes::kOk) return code;
  }
  if (toDir.isEmpty()) return task_codes::kOk;
  for (const WorkingSet& working : workingFileSets(expander, baseDir)) {
    const FileSetInfo& set = working.set;
    if (!dirExists(set.dir)) return task_codes::kDirectoryNotFound;
    if (isInterrupted()) return interrupted();
    const FileSetFilter filter(set.includes, set.excludes);
    Walk walk{filter, includesText(set.includes), set.excludes.join(QLatin1Char(',')), cleanAbsolutePath(toDir), {}};
    WalkDirectory source(fileSystemPath(set.dir), true);
    WalkDirectory target(fileSystemPath(toDir), true, true);
    const int code = copyDirectory(walk, source, target, set.dir, toDir, options);
    if (code != task_codes::kOk) return code;
  }
  return task_codes::kOk;
}

int TaskCopyFiles::interrupted() const {
  return reportInterrupted(kName, "Copying", getId());
}

int TaskCopyFiles::copyFileToDir(const QString& file, const QString& dir, const Options& options) {
  if (file.isEmpty()) return task_codes::kOk;
  const QFileInfo info(fileSystemPath(file));
  if (!info.isFile()) {
    VLOG_ERROR(kCopyTag) << "File '" << file << "' to copy not found. Task ID: " << getId();
    return task_codes::kFileNotFound;
  }
  (void)makePath(dir);  // judged by the test below
  if (!dirExists(dir)) {
    VLOG_ERROR(kCopyTag) << "Directory '" << dir << "' to copy not found. Task ID: " << getId();
    return task_codes::kDirectoryNotFound;
  }
  QString target = dir;
  combinePath(target, info.fileName());
  return copyOne(file, target, options);
}

int TaskCopyFiles::copyFile(const QString& file, const QString& toFile, const Options& options) {
  if (file.isEmpty() || toFile.isEmpty()) return task_codes::kOk;
  if (!QFileInfo(fileSystemPath(file)).isFile()) {
    VLOG_ERROR(kCopyTag) << "File '" << file << "' to copy not found. Task ID: " << getId();
    return task_codes::kFileNotFound;
  }
  (void)makeParentPath(toFile);  // a missing parent shows as a failed copy
  return copyOne(file, toFile, options);
}

int TaskCopyFiles::copyDirectory(Walk& walk, WalkDirectory& source, WalkDirectory& target, const QString& dir,
                                 const QString& targetDir, const Options& options) {
  if (options.verbose)
    VLOG_TRACE(kCopyTag) << "Includes: '" << walk.includesText << "'. Excludes: '" << walk.excludesText
                         << "'. Task ID: " << getId();
  std::vector<platform::DirEntry> entries;
  const int listed = listDirectorySorted(source, entries);
  // An unreadable directory lists nothing; one that cannot be listed otherwise would
  // leave its files out unseen.
  if (!listsNothing(listed)) {
    VLOG_ERROR(kCopyTag) << "Failed to copy the files of the directory '" << dir
                         << "': " << listFailureReason(source, listed) << ". Task ID: " << getId();
    return task_codes::kCopyFailed;
  }
  bool targetMade = false;
  for (const platform::DirEntry& entry : entries) {
    // Between two files: the one copied last is whole.
    if (isInterrupted()) return interrupted();
    const QString path = childPath(dir, entry.name);
    int code = task_codes::kOk;
    if (entry.kind == platform::EntryKind::Directory) {
      if (isTargetTree(walk, source, entry.name, path, options)) continue;
      QString subTarget = targetDir;
      combinePath(subTarget, entry.name);
      source.enter(entry.name);
      target.enter(entry.name);
      code = copyDirectory(walk, source, target, path, subTarget, options);
      source.leave();
      target.leave();
    } else if (entry.kind == platform::EntryKind::File || entry.kind == platform::EntryKind::Link) {
      code = copyEntry(walk, source, target, entry, path, targetDir, targetMade, options);
    }
    if (code != task_codes::kOk) return code;
  }
  return task_codes::kOk;
}

bool TaskCopyFiles::isTargetTree(Walk& walk, WalkDirectory& source, const QString& name, const QString& path,
                                 const Options& options) {
  if (!walk.targetRootId.valid) walk.targetRootId = fileIdOf(walk.targetRoot, true);
  if (!walk.targetRootId.valid || !(walk.targetRootId == fileIdIn(source, name, false))) return false;
  if (options.verbose)
    VLOG_TRACE(kCopyTag) << "Directory '" << path << "' is the target of the copy and is skipped. Task ID: " << getId();
  return true;
}

int TaskCopyFiles::copyEntry(const Walk& walk, WalkDirectory& source, WalkDirectory& target,
                             const platform::DirEntry& entry, const QString& path, const QString& targetDir,
                             bool& targetMade, const Options& options) {
  if (walk.filter.isExcluded(path)) {
    if (options.verbose) VLOG_TRACE(kCopyTag) << "File '" << path << "' was excluded. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (!walk.filter.isIncluded(path)) {
    if (options.verbose) VLOG_TRACE(kCopyTag) << "File '" << path << "' not included. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (!targetMade) {
    (void)target.make();  // a missing directory shows as a failed copy
    targetMade = true;
  }
  QString targetPath = targetDir;
  combinePath(targetPath, entry.name);
  return copyOne(source, entry.name, path, target, entry.name, targetPath, entry.kind == platform::EntryKind::Link,
                 options);
}

int TaskCopyFiles::copyOne(const QString& source, const QString& target, const Options& options) {
  const QFileInfo from(fileSystemPath(source));
  const QFileInfo to(fileSystemPath(target));
  WalkDirectory sourceDir(from.absolutePath(), true);
  WalkDirectory targetDir(to.absolutePath(), true);
  return copyOne(sourceDir, from.fileName(), source, targetDir, to.fileName(), target, false, options);
}

int TaskCopyFiles::copyOne(WalkDirectory& sourceDir, const QString& sourceName, const QString& source,
                           WalkDirectory& targetDir, const QString& targetName, const QString& target, bool asLink,
                           const Options& options) {
  const platform::FileId targetId = fileIdIn(targetDir, targetName, false);
  if (targetId.valid) {
    // The very same file, by another spelling, a hard link or a link to it.
    if (targetId == fileIdIn(sourceDir, sourceName, false)) return task_codes::kOk;
    if (!asLink && fileIdIn(targetDir, targetName, true) == fileIdIn(sourceDir, sourceName, true))
      return task_codes::kOk;
    if (!options.overwrite) {
      VLOG_WARNING(kCopyTag) << "File '" << target << "' already exists. Task ID: " << getId();
      return task_codes::kOk;
    }
  }
  const int copied = copyFileSafely(sourceDir, sourceName, targetDir, targetName, asLink, interruptFlag());
  // A stop inside the file: it is left as it was, as between two files.
  if (copied != 0 && isInterrupted()) return interrupted();
  if (copied != 0) {
    VLOG_ERROR(kCopyTag) << "Failed to copy file '" << source << "' to '" << target << "'. Task ID: " << getId();
    return task_codes::kCopyFailed;
  }
  if (options.verbose) {
    if (targetId.valid) VLOG_TRACE(kCopyTag) << "File '" << target << "' was removed. Task ID: " << getId();
    VLOG_TRACE(kCopyTag) << "File '" << source << "' was copied to '" << target << "'. Task ID: " << getId();
  }
  return task_codes::kOk;
}
