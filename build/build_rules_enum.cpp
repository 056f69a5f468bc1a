#include "build/build_rules_enum.h"

#include "build/ifile_enum_callback.h"
#include "build/result_codes.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

#include <algorithm>

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
  const QFileInfo info(fileSystemPath(text));
  if (!info.exists()) {
    VLOG_ERROR(kTag) << "[Enumerate files] Path '" << text << "' not found. Task: " << taskId << namedByText(namedBy);
    return build_codes::kPathNotFound;
  }
  // Cleaned, so that every visit of one rules file derives the same target texts.
  const QString absolute = QDir::cleanPath(info.absoluteFilePath());
  VLOG_TRACE(kTag) << "[Enumerate files] Try process the path: '" << absolute << "'. Task: " << taskId;
  if (info.isDir()) {
    const QString rulesFile = rulesFileIn(absolute);
    return rulesFile.isEmpty() ? 0 : processRule(taskId, rulesFile, expander, callback);
  }
  // Anything else named like a rules file goes to the reader, which refuses a pipe or
  // a device at once instead of blocking on it.
  return isRulesFile(absolute) ? processRule(taskId, absolute, expander, callback) : 0;
}

QString BuildRulesEnum::rulesFileIn(const QString& directory) const {
  const QDir dir(directory);
  // Hidden and system entries stay out, as in the default listing; subdirectories are
  // never entered, so only the files named like a rules file matter.
  QStringList candidates;
  for (const QString& name : dir.entryList(QDir::Files, QDir::Unsorted))
    if (name.compare(kRulesFileName, Qt::CaseInsensitive) == 0) candidates << name;
  if (candidates.isEmpty() || isStopped()) return QString();
  // The listing's order: by name ignoring case; names equal that way go by their bytes.
  const QString first = *std::min_element(candidates.begin(), candidates.end(), [](const QString& a, const QString& b) {
    const int blind = a.compare(b, Qt::CaseInsensitive);
    return blind != 0 ? blind < 0 : a < b;
  });
  return QDir::cleanPath(dir.absoluteFilePath(first));
}

int BuildRulesEnum::processRule(std::uint32_t taskId, const QString& rulesFile, IVariablesExpander* expander,
                                IFileEnumCallback* callback) {
  const QString path = expandedUnquoted(rulesFile, expander);
  if (path.compare(rulesFile, Qt::CaseInsensitive) == 0) {
    VLOG_TRACE(kTag) << "[Process rule] Try to process the build rules file: '" << path << "'. Task: " << taskId;
  } else {
    VLOG_TRACE(kTag) << "[Process rule] Try to process the build rules file: '" << path << "' ('" << rulesFile
                     << "'). Task: " << taskId;
  }
  stop();  // ends the parse that the previous file left open
  const int parsed = parseFile(path, false, QString(), QString());
  if (parsed != 0) {
    VLOG_ERROR(kTag) << "[Process rule] Failed to parse file: '" << path << "'. Error: " << parsed;
    return parsed;
  }
  // The walk below parses further files into the member list.
  const std::vector<ScanTarget> targets = targets_;
  if (callback && !isStopped()) {
    const int code = callback->fileFound(taskId, path);
    if (code != 0) return code;
  }
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
