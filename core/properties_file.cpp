#include "core/properties_file.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/result_codes.h"
#include "core/text_limit.h"
#include "core/variables_expander_helper.h"

#include <QFile>
#include <QTextStream>

namespace {

using core_codes::kCannotOpen;
using core_codes::kNoEquals;
using core_codes::kReadOnly;
using core_codes::kTextTooLong;

const char* const kTag = "PropertiesFile";

// Unbuffered: the text stream reads in chunks of its own, and a second buffer per load
// is what a small file costs most.
ReadOpenResult openForReading(QFile& file, const QString& path, bool regularOnly) {
  const QIODevice::OpenMode mode = QIODevice::ReadOnly | QIODevice::Unbuffered;
  if (regularOnly) return openRegularFile(file, path, mode);
  file.setFileName(fileSystemPath(path));
  return file.open(mode) ? ReadOpenResult::Opened : ReadOpenResult::CannotOpen;
}

}  // namespace

int PropertiesFile::load(const QString& path, IVariablesGetter* known, IVariablesSetter* target,
                         bool acceptNew, const QString& prefix) {
  QFile file;
  const ReadOpenResult opened = openForReading(file, path, regularFilesOnly_);
  if (opened != ReadOpenResult::Opened) {
    VLOG_ERROR(kTag) << openFailureText(path, opened);
    return kCannotOpen;
  }
  acceptNew_ = acceptNew;
  prefix_ = prefix.trimmed();
  if (!prefix_.isEmpty() && !prefix_.endsWith(QLatin1Char('.'))) prefix_ += QLatin1Char('.');
  ++load_;
  // A store changes during the load only through the stores of this load, so when it is
  // the target, what it held at the start is what it holds but for this load's entries.
  if (known && target && dynamic_cast<void*>(known) == dynamic_cast<void*>(target))
    knownItself_ = known;
  else if (known)
    knownSnapshot_ = std::make_unique<VariablesSnapshot>(known);
  const int code = readLines(file, path, known, target);
  knownItself_ = nullptr;
  knownSnapshot_.reset();
  return code;
}

int PropertiesFile::readLines(QIODevice& file, const QString& path, IVariablesGetter* known,
                              IVariablesSetter* target) {
  auto fail = [&](qint64 lineNumber, const QString& what, int code, const QString& line) {
    VLOG_ERROR(kTag) << "Line " << lineNumber << " of file '" << path << "' " << what << " (result " << code
                     << "): '" << line.left(200) << "'";
    return code;
  };

  // Read to the end, never by size: the file may be a pipe. The stream decodes by
  // length, so a NUL byte reaches the line instead of cutting it.
  QTextStream in(&file);
  in.setCodec("UTF-8");
  in.setAutoDetectUnicode(false);
  for (qint64 lineNumber = 1;; ++lineNumber) {
    QString line = in.readLine(qint64(kMaxTextLength) + 1);
    if (line.isNull()) break;
    if (line.size() > kMaxTextLength) return fail(lineNumber, QStringLiteral("is too long"), kTextTooLong, line);
    if (lineNumber == 1 && line.startsWith(QChar(0xFEFF))) line.remove(0, 1);
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (line.contains(QChar(0))) return fail(lineNumber, QStringLiteral("holds a NUL character"), kNoEquals, line);
    const int result = parseLine(line, known, target);
    if (result == 0) continue;
    QString what;
    if (result == kNoEquals)
      what = QStringLiteral("holds no '='");
    else if (result == kReadOnly)
      what = QStringLiteral("sets a read-only variable");
    else if (result == kTextTooLong && refusedName_.isNull())
      what = QStringLiteral("expands to a text that is too long");
    else if (result == kTextTooLong)
      what = QStringLiteral("stores the variable '%1' beyond what the variables may hold").arg(refusedName_.left(200));
    else
      what = QStringLiteral("could not be stored");
    return fail(lineNumber, what, result, line);
  }
  return 0;
}

int PropertiesFile::loadNoPrefix(const QString& path, IVariablesGetter* known,
                                 IVariablesSetter* target, bool acceptNew) {
  return load(path, known, target, acceptNew, QString());
}

bool PropertiesFile::readByThisLoad(const QString& name) {
  VariableFlags flags;
  return read_.getFlags(name, flags) == 0 && flags.category == load_;
}

bool PropertiesFile::knownValue(const QString& name, QString& value, VariableFlags* flags) {
  if (knownSnapshot_) return knownSnapshot_->get(name, value, flags);
  VariableFlags found;
  if (!knownItself_ || knownItself_->get(name, value, found) != 0) return false;
  if (flags) *flags = found;
  return true;
}

bool PropertiesFile::lookup(const QString& name, QString& value) {
  VariableFlags flags;
  QString read;
  const bool wasRead = read_.get(name, read, flags) == 0;
  if ((wasRead && flags.category == load_) || !knownValue(name, value, nullptr)) {
    if (!wasRead) return false;
    value = read;
  }
  return true;
}

int PropertiesFile::parseLine(const QString& line, IVariablesGetter* knownGetter,
                              IVariablesSetter* target) {
  refusedName_ = QString();
  if (line.isEmpty()) return 0;
  const int eq = line.indexOf(QLatin1Char('='));
  if (eq < 0) return kNoEquals;
  QString name = line.left(eq).trimmed();
  QString value = line.mid(eq + 1);
  const ReferenceLookup lookupHere = [this](const QString& n, QString& v) { return lookup(n, v); };
  int code = expandReferences(QLatin1Char('$'), lookupHere, name);
  if (code == 0) code = expandReferences(QLatin1Char('$'), lookupHere, value);
  if (code != 0) return code;
  name = name.trimmed();
  if (name.isEmpty()) return 0;
  if (!prefix_.isEmpty()) name.prepend(prefix_);

  // A known read-only name is read-only here too, as though it had been copied in.
  VariableFlags knownFlags;
  QString known;
  if (!readByThisLoad(name) && knownValue(name, known, &knownFlags) && knownFlags.readOnly) return kReadOnly;
  int result = read_.set(name, value, VariableFlags{false, load_});
  if (result == 0) {
    if (!target || (!acceptNew_ && knownGetter && !knownGetter->exists(name))) return 0;
    result = target->set(name, value, VariableFlags{false, VariableFlags::kCategoryPlain});
  }
  if (result != 0) refusedName_ = name;
  return result;
}
