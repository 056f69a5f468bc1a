#include "core/tool_paths.h"

#include "core/config_keys.h"
#include "core/file_utils.h"
#include "core/iproperties.h"
#include "core/os_info.h"
#include "core/path_utils.h"
#include "core/variables.h"
#include "core/variables_expander.h"

#include <QStandardPaths>

namespace {

struct ToolKeys {
  int osCode;
  const char* qmakeDir;
  const char* qmakePath;
};

const ToolKeys kToolKeys[] = {
    {OsWindows, "win.qmake.dir", "win.qmake.path"},
    {OsMacos, "macos.qmake.dir", "macos.qmake.path"},
    {OsLinux, "linux.qmake.dir", "linux.qmake.path"},
};

const ToolKeys* keysFor(int osCode) {
  for (const ToolKeys& k : kToolKeys)
    if (k.osCode == osCode) return &k;
  return nullptr;
}

void prepare(QString& value, IVariablesExpander* expander) {
  if (expander) expander->expand(value);
  value = value.trimmed();
  toNativeSeparators(value);
}

QString lookUp(const QString& key, IVariablesExpander* expander, IVariablesGetter* variables,
               IPropertiesGetter* properties) {
  QString value;
  if (variables) {
    QString found;
    if (variables->get(key, found) == 0) {
      value = found;
      prepare(value, expander);
    }
  }
  if (properties && (value.isEmpty() || !dirExists(value))) {
    QString found;
    if (properties->getString(key, found) == 0) {
      value = found;
      prepare(value, expander);
    }
  }
  return value;
}

}  // namespace

QString qmakeDir(int osCode, const QString& first, const QString& second,
                 IVariablesExpander* expander, IVariablesGetter* variables,
                 IPropertiesGetter* properties) {
  if (!variables && !properties) return QString();
  const ToolKeys* keys = keysFor(osCode);
  if (!keys) return QString();
  return lookUp(dottedKey(QLatin1String(keys->qmakeDir), first, second), expander, variables,
                properties);
}

QString qmakePath(int osCode, const QString& first, const QString& second,
                  IVariablesExpander* expander, IVariablesGetter* variables,
                  IPropertiesGetter* properties) {
  const ToolKeys* keys = keysFor(osCode);
  QString value;
  if (keys) {
    value = lookUp(dottedKey(QLatin1String(keys->qmakePath), first, second), expander, variables, properties);
    if (!value.isEmpty() && fileExists(value)) return value;
  }
  QString dir = qmakeDir(osCode, first, second, expander, variables, properties);
  if (!dir.isEmpty()) return combinePath(dir, QLatin1String(osCode == OsWindows ? "qmake.exe" : "qmake"));
  // Where qmake lives on PATH, as make does, unless a setting named a qmake of its own.
  if (keys && osCode != OsWindows && value.isEmpty()) return QStandardPaths::findExecutable(QStringLiteral("qmake"));
  return QString();
}

QString makeToolPath(int osCode, const QString& first, const QString& second,
                     IVariablesExpander* expander, IVariablesGetter* variables,
                     IPropertiesGetter* properties) {
  if (osCode != OsWindows) return QStringLiteral("make");
  return lookUp(dottedKey(QStringLiteral("win.make.path"), first, second), expander, variables,
                properties);
}
