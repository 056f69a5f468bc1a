#include "intr/builtin_functions.h"

#include "core/file_utils.h"
#include "core/os_info.h"
#include "core/path_utils.h"
#include "core/run_variables.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "intr/result_codes.h"

#include <QSet>
#include <QStringList>

namespace intr {
namespace {

// Reads a variable into *result only when the getter has it.
[[nodiscard]] int readVariable(IVariablesGetter* getter, QLatin1String name, QString* result) {
  if (!getter) return kOk;
  QString value;
  if (getter->get(name, value) == kOk) *result = value;
  return kOk;
}

// The build variables read as empty unless set.
[[nodiscard]] int readBuildVariable(IVariablesGetter* getter, QLatin1String name, QString* result) {
  result->clear();
  return readVariable(getter, name, result);
}

// Splits at ",", drops empty parts, trims, keeps the non-empty ones.
QStringList listItems(const QString& list) {
  QStringList items;
  for (const QString& part : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString item = part.trimmed();
    if (!item.isEmpty()) items << item;
  }
  return items;
}

// The list and the item of the list builders, already trimmed and expanded: both
// lose their quotes and are trimmed again. False, with the list untouched, when no
// item is left.
bool cleanListAndItem(QString& list, QString& item) {
  stripQuotes(item, true);
  item = item.trimmed();
  if (item.isEmpty()) return false;
  stripQuotes(list, true);
  list = list.trimmed();
  return true;
}

// base as it is, then each item of extra whose name, in any letter case, is not
// there yet; joined by ",".
QString joinUniqueIgnoringCase(const QStringList& base, const QStringList& extra) {
  QStringList kept = base;
  QSet<QString> seen;
  for (const QString& part : base) seen.insert(part.toCaseFolded());
  for (const QString& part : extra) {
    const QString key = part.toCaseFolded();
    if (seen.contains(key)) continue;
    seen.insert(key);
    kept << part;
  }
  return kept.join(QLatin1Char(','));
}

}  // namespace

int FuncExistsProperty::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  const QString name = argument(args[0]);
  *result = boolText(!name.isEmpty() && getter() && getter()->exists(name));
  return kOk;
}

int FuncIsEmpty::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  const QString text = trimmedArgument(args[0]);
  *result = boolText(text.isEmpty() || text == QLatin1String("''") || text == QLatin1String("\"\""));
  return kOk;
}

int FuncIsTrue::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  *result = boolText(isTrue(argument(args[0])));
  return kOk;
}

int FuncIsFalse::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  *result = boolText(isFalse(argument(args[0])));
  return kOk;
}

int FuncReplaceAll::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  QString text = argument(args[0]);
  const QString from = argument(args[1]);
  const QString to = argument(args[2]);
  if (!text.isEmpty() && !from.isEmpty()) text.replace(from, to, Qt::CaseSensitive);
  *result = text;
  return kOk;
}

int FuncContains::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  *result = boolText(argument(args[0]).contains(argument(args[1]), Qt::CaseSensitive));
  return kOk;
}

int FuncContainsIgnoreCase::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  *result = boolText(argument(args[0]).contains(argument(args[1]), Qt::CaseInsensitive));
  return kOk;
}

int FuncExistsFile::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  const QString path = argument(args[0]);
  *result = boolText(!path.isEmpty() && fileExists(path));
  return kOk;
}

int FuncExistsDir::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  const QString path = argument(args[0]);
  *result = boolText(!path.isEmpty() && dirExists(path));
  return kOk;
}

int FuncCombinePath::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  QString base = argument(args[0]);
  *result = combinePath(base, argument(args[1]));
  return kOk;
}

int FuncExtractParentDir::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  const QString path = argument(args[0]);
  *result = path.isEmpty() ? QString() : parentDirOf(path);
  return kOk;
}

int FuncGetBuildConfiguration::execute(const std::vector<QString>&, QString* result) {
  return readBuildVariable(getter(), run_variables::kCurrentBuildConfiguration, result);
}

int FuncGetBuildPlatform::execute(const std::vector<QString>&, QString* result) {
  return readBuildVariable(getter(), run_variables::kCurrentBuildPlatform, result);
}

int FuncGetBuildTarget::execute(const std::vector<QString>&, QString* result) {
  return readBuildVariable(getter(), run_variables::kCurrentBuildTarget, result);
}

int FuncGetComputerName::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  return readVariable(getter(), run_variables::kComputerName, result);
}

int FuncGetDomainName::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  return readVariable(getter(), run_variables::kDomainName, result);
}

int FuncGetUserName::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  return readVariable(getter(), run_variables::kUserName, result);
}

int FuncGetUserSid::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  return readVariable(getter(), run_variables::kUserSid, result);
}

int FuncAddToList::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  QString list = trimmedArgument(args[0]);
  QString item = trimmedArgument(args[1]);
  if (!cleanListAndItem(list, item)) {
    *result = list;
    return kOk;
  }
  if (!list.isEmpty() && !list.endsWith(QLatin1Char(',')) && !item.startsWith(QLatin1Char(',')))
    list += QLatin1Char(',');
  *result = list + item;
  return kOk;
}

int FuncAddToListUnique::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  QString list = trimmedArgument(args[0]);
  QString item = trimmedArgument(args[1]);
  if (!cleanListAndItem(list, item)) {
    *result = list;
    return kOk;
  }
  *result = list.isEmpty() ? item : joinUniqueIgnoringCase(listItems(list), listItems(item));
  return kOk;
}

int FuncRemoveDuplicates::execute(const std::vector<QString>& args, QString* result) {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  if (args[0].trimmed().isEmpty()) {
    result->clear();
    return kOk;
  }
  QString list = argument(args[0]).trimmed();
  if (!list.contains(QLatin1Char(','))) {
    *result = list;
    return kOk;
  }
  *result = joinUniqueIgnoringCase(QStringList(), listItems(list));
  return kOk;
}

int FuncIsOs::execute(const std::vector<QString>& args, QString* result) {
  if (args.size() < static_cast<size_t>(argCount())) return kWrongArgumentCount;
  const QString os = currentOsName();
  *result = falseString();
  for (const QString& arg : args) {
    const QString name = argument(arg).trimmed();
    if (name.isEmpty()) continue;
    if (!name.contains(QLatin1Char(','))) {
      if (name.compare(os, Qt::CaseInsensitive) == 0) *result = trueString();
      return kOk;
    }
    for (const QString& part : name.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
      if (argument(part).trimmed().compare(os, Qt::CaseInsensitive) == 0) {
        *result = trueString();
        return kOk;
      }
    }
  }
  return kOk;
}

int FuncIsOsWindows::execute(const std::vector<QString>&, QString* result) {
  *result = boolText(kOwnOsCode == OsWindows);
  return kOk;
}

int FuncIsOsMacos::execute(const std::vector<QString>&, QString* result) {
  *result = boolText(kOwnOsCode == OsMacos);
  return kOk;
}

int FuncIsOsLinux::execute(const std::vector<QString>&, QString* result) {
  *result = boolText(kOwnOsCode == OsLinux);
  return kOk;
}

}  // namespace intr
