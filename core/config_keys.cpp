#include "core/config_keys.h"

QString dottedKey(const QString& base, const QString& first, const QString& second) {
  QString key = base.trimmed();
  if (key.isEmpty()) return key;
  if (!first.isEmpty()) key += QLatin1Char('.') + first;
  if (!second.isEmpty()) key += QLatin1Char('.') + second;
  return key;
}

QString preferOutSubdirKey(const QString& projectName) {
  return projectName + QLatin1String(".prefer.out.subdir");
}

QString filesetPreferOutSubdirKey(const QString& projectName, const QString& filesetId) {
  QString key = projectName + QLatin1Char('.');
  if (!filesetId.isEmpty()) key += filesetId + QLatin1Char('.');
  return key + QLatin1String("fileset.prefer.out.subdir");
}

