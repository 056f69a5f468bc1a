#include "core/properties_file.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "core/variables_expander_helper.h"

#include <QFile>

namespace {

constexpr int kCannotOpen = core_codes::kCannotOpen;
constexpr int kNoEquals = core_codes::kNoEquals;
constexpr int kReadOnly = core_codes::kReadOnly;

const char* const kTag = "PropertiesFile";

}  // namespace

int PropertiesFile::load(const QString& path, IVariablesGetter* known, IVariablesSetter* target,
                         bool acceptNew, const QString& prefix) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    VLOG_ERROR(kTag) << "Failed to open file: '" << path << "'";
    return kCannotOpen;
  }
  (void)copyVariables(variables_, known, true);  // best-effort
  acceptNew_ = acceptNew;
  prefix_ = prefix.trimmed();
  if (!prefix_.isEmpty() && !prefix_.endsWith(QLatin1Char('.'))) prefix_ += QLatin1Char('.');

  // Lines are read whole, however long: cutting them would split values and UTF-8 characters.
  for (qint64 lineNumber = 1; !file.atEnd(); ++lineNumber) {
    QByteArray bytes = file.readLine();
    if (lineNumber == 1 && bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString line = QString::fromUtf8(bytes).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const int result = parseLine(line, known, target);
    if (result == 0) continue;
    const char* what = result == kNoEquals   ? "holds no '='"
                       : result == kReadOnly ? "sets a read-only variable"
                                             : "could not be stored";
    VLOG_ERROR(kTag) << "Line " << lineNumber << " of file '" << path << "' " << what
                     << " (result " << result << "): '" << line.left(200) << "'";
    return result;
  }
  return 0;
}

int PropertiesFile::loadNoPrefix(const QString& path, IVariablesGetter* known,
                                 IVariablesSetter* target, bool acceptNew) {
  return load(path, known, target, acceptNew, QString());
}

int PropertiesFile::parseLine(const QString& line, IVariablesGetter* known,
                              IVariablesSetter* target) {
  if (line.isEmpty()) return 0;
  const int eq = line.indexOf(QLatin1Char('='));
  if (eq < 0) return kNoEquals;
  QString name = expandDollarVariables(&variables_, line.left(eq).trimmed()).trimmed();
  const QString value = expandDollarVariables(&variables_, line.mid(eq + 1));
  if (name.isEmpty()) return 0;
  if (!prefix_.isEmpty()) name.prepend(prefix_);

  const VariableFlags flags{false, VariableFlags::kCategoryPlain};
  const int result = variables_.set(name, value, flags);
  if (result != 0) return result;
  if (!target) return 0;
  if (!acceptNew_ && known && !known->exists(name)) return 0;
  return target->set(name, value, flags);
}
