#include "build/build_rules_enum.h"

#include "build/ifile_enum_callback.h"
#include "build/result_codes.h"
#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"

#include <QDir>
#include <QMutexLocker>

namespace {

const QLatin1String kTag("RulesEnum");
const QLatin1String kRulesFileName("varkel.xml");

// Expanded, then stripped of every pair of surrounding quotes.
QString expandedUnquoted(const QString& path, IVariablesExpander* expander) {
  QString text = path;
  if (expander) expander->expand(text);
  stripQuotes(text, true);
  return text;
}

}  // namespace

bool BuildRulesEnum::isRulesFile(const QString& path) {
  int start = path.size();
  while (start > 0 && !isPathSeparator(path.at(start - 1))) --start;
  return QStringRef(&path, start, path.size() - start).compare(kRulesFileName, Qt::CaseInsensitive) == 0;
}

void BuildRulesEnum::requestStop() {
  QMutexLocker lock(&stopMutex_);
  stop_ = true;
}

bool BuildRulesEnum::isStopped() const {
  QMutexLocker lock(&stopMutex_);
  return stop_;
}

bool BuildRulesEnum::isRunning() const {
  QMutexLocker lock(&runningMutex_);
  return running_;
}

void BuildRulesEnum::setRunning(bool running) {
  QMutexLocker lock(&runningMutex_);
  running_ = running;
}

int BuildRulesEnum::enumerate(std::uint32_t taskId, const QString& startPath, IVariablesExpander* expander,
                              IFileEnumCallback* callback) {
  if (startPath.isEmpty()) return build_codes::kEmptyPath;
  setRunning(true);
  {
    QMutexLocker lock(&stopMutex_);
    stop_ = false;
  }
  visited_.clear();
  nestedTargets_ = 0;
  const int code = enumerateFiles(taskId, startPath, expander, callback);
  visited_.clear();
  setRunning(false);
  return code;
}

int BuildRulesEnum::enumerateFiles(std::uint32_t taskId, const QString& path, IVariablesExpander* expander,
                                   IFileEnumCallback* callback) {
  return walkPath(taskId, path, nullptr, expander, callback);
}

QString BuildRulesEnum::namedByText(const NamedBy* namedBy) {
  return namedBy ? QLatin1String(". ") + filePlaceText(namedBy->rulesFile, namedBy->place) : QString();
}

int BuildRulesEnum::walkPath(std::uint32_t taskId, const QString& path, const NamedBy* namedBy,
                             IVariablesExpander* expander, IFileEnumCallback* callback) {
  const QString text = expandedUnquoted(path, expander);
  if (text.isEmpty()) return build_codes::kEmptyPath;
  if (visited_.contains(text)) {
    VLOG_ERROR(kTag) << "[Enumerate files] Path '" << text << "' already processed. Task: " << taskId
                     << namedByText(namedBy);
    return build_codes::kAlreadyProcessed;
  }
  // Marked before the existence test: a missing path counts as walked.
  visited_.insert(text);
  const platform::EntryKind kind = entryKindThroughLinks(text);
  if (kind == platform::EntryKind::None) {
    VLOG_ERROR(kTag) << "[Enumerate files] Path '" << text << "' not found. Task: " << taskId << namedByText(namedBy);
    return build_codes::kPathNotFound;
  }
  // Cleaned, so that every visit of one rules file derives the same target texts.
  const QString absolute = isAbsolutePath(text) ? QDir::cleanPath(fileSystemPath(text)) : cleanAbsolutePath(text);
  VLOG_TRACE(kTag) << "[Enumerate files] Try process the path: '" << absolute << "'. Task: " << taskId;
  if (kind == platform::EntryKind::Directory) return processDirectory(taskId, absolute, expander, callback);
  // Anything else named like a rules file goes to the reader, which refuses a pipe or
  // a device at once instead of blocking on it.
  return isRulesFile(absolute) ? processRule(taskId, absolute, nullptr, expander, callback) : 0;
}

int BuildRulesEnum::processDirectory(std::uint32_t taskId, const QString& directory, IVariablesExpander* expander,
                                     IFileEnumCallback* callback) {
  if (isStopped()) return 0;
  // The usual name is asked for first, so that most directories are never listed.
  const QString file = QDir::cleanPath(directory + QLatin1Char('/') + kRulesFileName);
  QByteArray content;
  if (readRegularFile(file, kMaxRulesFileSize, content) == ReadOpenResult::Opened)
    return processRule(taskId, file, &content, expander, callback);
  // A file there that cannot be read fails as the reader reports it.
  if (isRegularFile(file)) return processRule(taskId, file, nullptr, expander, callback);
  const QString other = rulesFileInAnyCase(directory);
  return other.isNull() || isStopped() ? 0 : processRule(taskId, other, nullptr, expander, callback);
}

QString BuildRulesEnum::rulesFileInAnyCase(const QString& directory) {
  WalkDirectory dir(fileSystemPath(directory), true);
  std::vector<platform::DirEntry> entries;
  if (platform::listDirectory(dir, false, entries) != 0) return QString();  // unreadable: no rules file
  // Every candidate equals the others without regard to case, so the lister's order
  // comes down to the exact one.
  QString best;
  for (const platform::DirEntry& entry : entries) {
    if (entry.name.compare(kRulesFileName, Qt::CaseInsensitive) != 0) continue;
    if (!best.isNull() && !(entry.name < best)) continue;
    const QString path = childPath(directory, entry.name);
    if (isRegularFile(path)) best = entry.name;
  }
  return best.isNull() ? QString() : childPath(directory, best);
}

int BuildRulesEnum::processRule(std::uint32_t taskId, const QString& rulesFile, IVariablesExpander* expander,
                                IFileEnumCallback* callback) {
  return processRule(taskId, rulesFile, nullptr, expander, callback);
}

const QByteArray* BuildRulesEnum::reportedContent(const QString& path) const {
  return !reportedPath_.isNull() && path == reportedPath_ ? &reportedContent_ : nullptr;
}

int BuildRulesEnum::processRule(std::uint32_t taskId, const QString& rulesFile, QByteArray* content,
                                IVariablesExpander* expander, IFileEnumCallback* callback) {
  const QString path = expandedUnquoted(rulesFile, expander);
  if (path.compare(rulesFile, Qt::CaseInsensitive) == 0) {
    VLOG_TRACE(kTag) << "[Process rule] Try to process the build rules file: '" << path << "'. Task: " << taskId;
  } else {
    VLOG_TRACE(kTag) << "[Process rule] Try to process the build rules file: '" << path << "' ('" << rulesFile
                     << "'). Task: " << taskId;
  }
  stop();  // ends the parse that the previous file left open
  QByteArray read;
  int parsed = 0;
  if (!content || path != rulesFile) {
    content = &read;
    parsed = readWholeFile(path, kMaxRulesFileSize, read);
  }
  if (parsed == 0) parsed = parseContent(path, *content, false, QString(), QString());
  if (parsed != 0) {
    VLOG_ERROR(kTag) << "[Process rule] Failed to parse file: '" << path << "'. Error: " << parsed;
    return parsed;
  }
  // The walk below parses further files into the member list.
  const std::vector<ScanTarget> targets = targets_;
  if (callback && !isStopped()) {
    reportedPath_ = path;
    reportedContent_ = *content;
    const int code = callback->fileFound(taskId, path);
    reportedPath_ = QString();
    reportedContent_ = QByteArray();
    if (code != 0) return code;
  }
  *content = QByteArray();  // not held while the targets are walked
  const QString directory = parentDirOf(path);
  for (const ScanTarget& raw : targets) {
    if (raw.path.isEmpty()) continue;
    const QString target = expandedUnquoted(raw.path, expander);
    // Joined to the directory, an empty target would name the directory itself.
    if (target.isEmpty()) return build_codes::kEmptyPath;
    if (nestedTargets_ >= kMaxNestedTargets) {
      VLOG_ERROR(kTag) << "[Process rule] Targets nested more than " << kMaxNestedTargets << " deep. Target: '"
                       << target << "'. File: '" << path << "'. " << placeText(raw.place) << ". Task: " << taskId;
      return build_codes::kTargetsNestedTooDeeply;
    }
    ++nestedTargets_;
    const NamedBy namedBy{path, raw.place};
    const int code = walkPath(taskId, makeAbsolutePath(directory, target), &namedBy, expander, callback);
    --nestedTargets_;
    if (code != 0) return code;
  }
  return build_codes::kOk;
}

int BuildRulesEnum::beginParse() {
  targets_.clear();
  return build_codes::kOk;
}

int BuildRulesEnum::parseElement() {
  if (isElement(QStringLiteral("scan")))
    readScanElement();
  else
    skipCurrentElement();
  return build_codes::kOk;
}

int BuildRulesEnum::endParse() { return build_codes::kOk; }

void BuildRulesEnum::readScanElement() {
  while (readNextStartElement()) {
    if (!isElement(QStringLiteral("targets")) || !isEnabled()) {
      skipCurrentElement();
      continue;
    }
    while (readNextStartElement()) {
      QString path;
      if (isElement(QStringLiteral("target")) && isEnabled() && readAttribute(QStringLiteral("path"), path))
        targets_.push_back({path, placeOf(reader_)});
      skipCurrentElement();
    }
  }
}
