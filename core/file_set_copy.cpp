#include "core/file_set_copy.h"

#include "core/condition_handler.h"
#include "core/file_set_filter.h"
#include "core/file_utils.h"
#include "core/interrupted.h"
#include "core/logger.h"
#include "core/name_correctors.h"
#include "core/path_utils.h"
#include "core/result_codes.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"

#include <QFileInfo>

#include <set>

using namespace core_codes;

namespace {

const QLatin1String kTag("Utils.CopyFiles");

QString expanded(IVariablesExpander* expander, QString text) {
  expandVariables(expander, text);
  return text;
}

QString joined(QString base, const QString& tail) { return combinePath(base, tail); }

void logCopied(const QString& source, const QString& target) {
  VLOG_CAT(logger::LogInfo, logger::FilterCopyFiles, kTag)
      << "File '" << source << "' was copied to '" << target << "'";
}

void logReplaced(const QString& target) {
  VLOG_CAT(logger::LogInfo, logger::FilterCopyFiles, kTag) << "File '" << target << "' was removed";
}

void logCopyFailed(const QString& source, const QString& target) {
  VLOG_ERROR(kTag) << "Failed to copy file '" << source << "' to '" << target << "'";
}

void logSameFile(const QString& path) {
  VLOG_CAT(logger::LogInfo, logger::FilterCopyFiles, kTag)
      << "File '" << path << "' is its own target; it was left as it is";
}

bool isSet(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

int interruptedCopy() { return reportInterrupted(kTag, "Copying"); }

// Copies one file (or link) onto target, each named by its directory and its name (the
// paths are for the log). A target that may be there is left alone when it is the
// source itself; the copy replaces any other only once it is complete. A stop inside
// the file leaves the target as it was.
int copyOne(WalkDirectory& sourceDir, const QString& sourceName, const QString& source, WalkDirectory& targetDir,
            const QString& targetName, const QString& target, bool asLink, bool mayExist,
            const std::atomic<bool>* stop) {
  if (mayExist && fileIdIn(sourceDir, sourceName, true) == fileIdIn(targetDir, targetName, true)) {
    logSameFile(target);
    return kOk;
  }
  if (copyFileSafely(sourceDir, sourceName, targetDir, targetName, asLink, stop) != 0) {
    if (isSet(stop)) return interruptedCopy();
    logCopyFailed(source, target);
    return kCopyFailed;
  }
  if (mayExist) logReplaced(target);
  logCopied(source, target);
  return kOk;
}

// A name as the corrector makes it: the prefix before the last component, the suffix
// before the last "."; unchanged by a corrector without configuration or without either.
QString correctedName(QString name, const NameCorrector& corrector) {
  if (corrector.configuration.isEmpty() || (corrector.prefix.isEmpty() && corrector.suffix.isEmpty()))
    return name;
  addNamePrefix(corrector.prefix, name);
  addNameSuffix(corrector.suffix, name);
  return name;
}

// Whether the set applies: no handler, no condition or a blank one lets it through.
int checkSetCondition(const FileSetInfo& set, IVariablesExpander* expander, IConditionHandler* handler,
                      bool& applies) {
  applies = true;
  if (!handler || set.condition.isEmpty()) return kOk;
  const QString condition = expanded(expander, set.condition).trimmed();
  if (condition.isEmpty()) return kOk;
  const QString details = QLatin1String("File set dir: ") + set.dir + QLatin1String(". \n") + indentUnit() +
                          QLatin1String("File set ID: ") + set.id + QLatin1String(". \n") + indentUnit() +
                          QLatin1String("Condition template: '") + set.condition + QLatin1String("'. \n") +
                          indentUnit() + QLatin1String("Condition: '") + condition + QLatin1String("'.");
  const int code = handler->evaluateCondition(condition, applies);
  if (code != kOk) {
    VLOG_ERROR(kTag) << "Failed to calculate the condition. \n"
                     << indentUnit() << "Error: " << code << ". \n"
                     << indentUnit() << details;
    return code;
  }
  VLOG_CAT(logger::LogInfo, logger::FilterCopyFiles, kTag)
      << (applies ? "Condition was calculated successfully. Condition is true. \n"
                  : "Condition was calculated successfully. Condition is false. \n")
      << indentUnit() << details;
  return kOk;
}

// The subdirectories of the target a set goes to, in ascending code-unit order.
std::set<QString> targetSubdirs(const FileSetInfo& set, const FileSetSubdirs& subdirs, IVariablesExpander* expander) {
  std::set<QString> out;
  if (!set.id.isEmpty() && !subdirs.empty()) {
    const auto it = subdirs.find(set.id);
    if (it != subdirs.end()) {
      const QString list = expanded(expander, it->second);
      for (const QStringRef& part : list.splitRef(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed().toString();
        if (!name.isEmpty()) out.insert(name);
      }
    }
  }
  if (out.empty()) out.insert(QStringLiteral("."));
  return out;
}

// The target directory of a subdirectory and an include's targetsubdir.
QString includeTarget(const QString& targetDir, const QString& subdir, const QString& targetSubdir) {
  QString target = targetDir;
  if (subdir != QLatin1String(".")) combinePath(target, subdir);
  if (!targetSubdir.isEmpty()) combinePath(target, targetSubdir);
  return target;
}

int copyFileInclude(const QString& sourceDir, QString name, const QString& synonym, const QString& targetSubdir,
                    const NameCorrector& corrector, const std::set<QString>& subdirs, const QString& targetDir,
                    const QString& baseDir, const std::atomic<bool>* stop) {
  if (!synonym.isEmpty()) name = synonym;
  name = correctedName(name, corrector);
  const QString source = cleanAbsolutePath(makeAbsolutePath(baseDir, joined(sourceDir, name)));
  for (const QString& subdir : subdirs) {
    const QString target = cleanAbsolutePath(
        makeAbsolutePath(baseDir, joined(includeTarget(targetDir, subdir, targetSubdir), name)));
    const bool targetExists = fileIdOf(target, false).valid;
    if (!targetExists) {
      const QString parent = absoluteDirPath(target);
      if (!parent.isEmpty() && !dirExists(parent)) (void)makePath(parent);  // a failure shows in the copy
    }
    if (source.isEmpty() || !fileExists(source)) {
      VLOG_ERROR(kTag) << "Source file '" << source << "' not found";
      return kSourceNotFound;
    }
    const QFileInfo from(source);
    const QFileInfo to(target);
    WalkDirectory sourceParent(from.absolutePath(), true);
    WalkDirectory targetParent(to.absolutePath(), true);
    // A named file is taken through a link: only walks copy links as links.
    const int rc = copyOne(sourceParent, from.fileName(), source, targetParent, to.fileName(), target, false,
                           targetExists, stop);
    if (rc != kOk) return rc;
  }
  return kOk;
}

// One walk of copyDirectory: the settings that stay the same on every level.
class TreeCopy {
 public:
  TreeCopy(const QStringList& excludes, const std::vector<NameCorrector>& correctors, const QString& configuration,
           const QString& targetRoot, const std::atomic<bool>* stop)
      : excludes_({}, excludes),
        correctors_(correctors),
        configuration_(configuration),
        targetRoot_(targetRoot),
        stop_(stop) {}

  // The tree below source, whose path is sourceDir, into target.
  int copy(WalkDirectory& source, WalkDirectory& target, const QString& sourceDir, const QString& targetDir) {
    std::vector<platform::DirEntry> entries;
    const int listed = listDirectorySorted(source, entries);
    // An unreadable or missing directory has nothing to copy; one that cannot be listed
    // otherwise would leave its files out unseen.
    if (!listsNothing(listed)) {
      VLOG_ERROR(kTag) << "Failed to copy the files of the directory '" << sourceDir
                       << "': " << listFailureReason(source, listed);
      return kCopyFailed;
    }
    int result = kOk;
    bool targetReady = false;
    bool targetIsNew = false;  // made by this walk: nothing can be in the way
    for (const platform::DirEntry& entry : entries) {
      // Between two files: the one copied last is whole.
      if (isSet(stop_)) return interruptedCopy();
      const QString path = childPath(sourceDir, entry.name);
      if (entry.kind == platform::EntryKind::Directory) {
        // The target below its own source would be copied into itself again and again.
        if (isTargetRoot(source, entry.name)) continue;
        source.enter(entry.name);
        target.enter(entry.name);
        const int code = copy(source, target, path, joined(targetDir, entry.name));
        source.leave();
        target.leave();
        if (code != kOk) return code;
        continue;
      }
      if (entry.kind != platform::EntryKind::File && entry.kind != platform::EntryKind::Link) continue;
      if (excludes_.isExcluded(path)) continue;
      const QString name = targetName(entry.name);
      const bool targetExists = !targetIsNew && fileIdIn(target, name, false).valid;
      if (!targetExists && !targetReady) targetReady = target.make(&targetIsNew) == 0;
      const int code = copyOne(source, entry.name, path, target, name, joined(targetDir, name),
                               entry.kind == platform::EntryKind::Link, targetExists, stop_);
      if (code == kInterrupted) return code;
      if (code != kOk) result = kCopyFailed;
    }
    return result;
  }

 private:
  // Only a name with a suffix is corrected: executables and Makefiles keep theirs.
  QString targetName(const QString& name) const {
    if (correctors_.empty()) return name;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == name.size() - 1) return name;
    NameCorrector corrector;
    if (!findNameCorrector(correctors_, configuration_, name.mid(dot + 1), corrector)) return name;
    return correctedName(name, corrector);
  }

  // Known once it exists: the walk itself may make it.
  bool isTargetRoot(WalkDirectory& dir, const QString& name) {
    if (!targetRootId_.valid) targetRootId_ = fileIdOf(targetRoot_, true);
    return targetRootId_.valid && fileIdIn(dir, name, false) == targetRootId_;
  }

  FileSetFilter excludes_;
  const std::vector<NameCorrector>& correctors_;
  const QString& configuration_;
  QString targetRoot_;
  platform::FileId targetRootId_;
  const std::atomic<bool>* stop_;
};

}  // namespace

int copyDirectory(const QString& sourceDir, const QStringList& excludes, const QString& targetDir,
                  const std::vector<NameCorrector>& correctors, const QString& configuration,
                  const std::atomic<bool>* stop) {
  if (sourceDir.isEmpty()) return kEmptySource;
  if (targetDir.isEmpty()) return kEmptyTarget;
  // Excludes match whole absolute paths written with "/".
  TreeCopy walk(excludes, correctors, configuration, targetDir, stop);
  const QString source = cleanAbsolutePath(sourceDir);
  WalkDirectory sourceRoot(source, true);
  WalkDirectory targetRoot(fileSystemPath(targetDir), true, true);
  return walk.copy(sourceRoot, targetRoot, source, targetDir);
}

int copyFiles(const std::vector<FileSetInfo>& fileSets, const QString& targetDir, const QString& baseDir,
              const QString& configuration, IVariablesExpander* expander, IConditionHandler* handler,
              const FileSetSubdirs& subdirs, const std::atomic<bool>* stop) {
  if (targetDir.isEmpty()) return kEmptyTarget;
  for (const FileSetInfo& set : fileSets) {
    if (isSet(stop)) return interruptedCopy();
    bool applies = true;
    const int code = checkSetCondition(set, expander, handler, applies);
    if (code != kOk) return code;
    if (!applies) continue;

    const QString sourceDir = expanded(expander, set.dir);
    const std::set<QString> setSubdirs = targetSubdirs(set, subdirs, expander);
    NameCorrector corrector;  // four empty texts when none is for this configuration
    findNameCorrectorByConfiguration(set.nameCorrectors, configuration, corrector);

    for (const FileSetInclude& include : set.includes) {
      if (isSet(stop)) return interruptedCopy();
      const QString name = expanded(expander, include.name).trimmed();
      const QString synonym = expanded(expander, include.synonym).trimmed();
      const QString targetSubdir = expanded(expander, include.targetsubdir).trimmed();
      if (name != QLatin1String("*")) {
        const int rc = copyFileInclude(sourceDir, name, synonym, targetSubdir, corrector, setSubdirs, targetDir,
                                       baseDir, stop);
        if (rc != kOk) return rc;
        continue;
      }
      if (sourceDir.isEmpty()) continue;
      const QString source = cleanAbsolutePath(makeAbsolutePath(baseDir, sourceDir));
      for (const QString& subdir : setSubdirs) {
        // Against the same base as a file include's target, so both kinds land in one tree.
        const QString target =
            cleanAbsolutePath(makeAbsolutePath(baseDir, includeTarget(targetDir, subdir, targetSubdir)));
        const int rc = copyDirectory(source, set.excludes, target, set.nameCorrectors, configuration, stop);
        if (rc != kOk) return rc;
      }
    }
  }
  return kOk;
}
