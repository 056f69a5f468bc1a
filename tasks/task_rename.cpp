#include "tasks/task_rename.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

namespace {

const QLatin1String kName("Rename");

// "dir/" names dir: without this its new name would land inside it.
QString withoutTrailingSeparators(QString path) {
  while (path.size() > 1 && isPathSeparator(path.back())) path.chop(1);
  return path;
}

// A bare new name stays in the source's directory; one with a directory part is the
// target itself.
QString targetOf(const QString& src, const QString& newName) {
  if (!parentDirOf(newName).isEmpty()) return newName;
  QString target = absoluteDirPath(src);
  normalizeTrailingSeparator(target);
  int from = 0;
  while (from < newName.size() && isPathSeparator(newName.at(from))) ++from;
  return target + newName.mid(from);
}

}  // namespace

TaskRename::TaskRename(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskRename::~TaskRename() { markInterrupted(); }

int TaskRename::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter, IConditionHandler*,
                      INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(run(expander), setter, resultVar, failOnError);
}

int TaskRename::run(IVariablesExpander* expander) {
  const QString src = withoutTrailingSeparators(expandedTrimmed(expander, propertyText(task_texts::kSrc)));
  const QString newName = expandedTrimmed(expander, propertyText(task_texts::kNewName));
  const QString in = indentUnit();
  VLOG_INFO(kName) << "Try to rename the file (or directory). \r\n"
                   << in << "Source file or directory: '" << src << "'.\r\n"
                   << in << "New name: '" << newName << "'.\r\n"
                   << in << "Task ID: " << getId();
  if (src.isEmpty()) {
    VLOG_ERROR(kName) << "Source file or directory not defined! Task ID: " << getId();
    return task_codes::kNotDefined;
  }
  // A dangling link is something to rename too.
  const platform::FileId srcId = fileIdOf(src, false);
  if (!srcId.valid) {
    VLOG_ERROR(kName) << "File or directory '" << src << "' not found. Task ID: " << getId();
    return task_codes::kFileNotFound;
  }
  if (newName.isEmpty()) {
    VLOG_ERROR(kName) << "New file (or directory) name not defined! Task ID: " << getId();
    return task_codes::kNotDefined;
  }
  const QString target = targetOf(src, newName);
  if (srcId == fileIdOf(target, false)) {
    VLOG_INFO(kName) << "'" << src << "' is already named '" << target << "'. Task ID: " << getId();
    return task_codes::kOk;
  }

  // A link is renamed as the link, like a file.
  if (platform::entryKind(fileSystemPath(src)) != platform::EntryKind::Directory) {
    if (renameEntry(src, target) != 0) {
      VLOG_ERROR(kName) << "Failed to rename file '" << src << "' to '" << target << "'! Task ID: " << getId();
      return task_codes::kRenameFailed;
    }
    VLOG_INFO(kName) << "File '" << src << "' was renamed to '" << target << "'. Task ID: " << getId();
    return task_codes::kOk;
  }

  // Removing the old target first would remove the source with it, or a directory
  // the run needs.
  QString refusal;
  if (isSameOrAncestorDir(src, target) || isSameOrAncestorDir(target, src)) {
    refusal = QStringLiteral("one holds the other");
  } else if (platform::entryKind(fileSystemPath(target)) == platform::EntryKind::Directory) {
    const QString place = protectedPlaceIn(target, getFile().isEmpty() ? QString() : parentDirOf(getFile()));
    if (!place.isEmpty()) refusal = QLatin1String("the target is or holds ") + place;
  }
  if (!refusal.isEmpty()) {
    VLOG_ERROR(kName) << "Refused to rename directory '" << src << "' to '" << target << "': " << refusal
                      << "! Task ID: " << getId();
    return task_codes::kRenameFailed;
  }
  if (renameDirectoryReplacing(src, target) != 0) {
    VLOG_ERROR(kName) << "Failed to rename directory '" << src << "' to '" << target << "'! Task ID: " << getId();
    return task_codes::kRenameFailed;
  }
  VLOG_INFO(kName) << "Directory '" << src << "' was renamed to '" << target << "'. Task ID: " << getId();
  return task_codes::kOk;
}
