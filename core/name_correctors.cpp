#include "core/name_correctors.h"

namespace {

bool listHolds(const QString& list, const QStringRef& extension) {
  for (const QStringRef& part : list.splitRef(QLatin1Char(','), Qt::SkipEmptyParts)) {
    if (part.trimmed().compare(extension, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

}  // namespace

bool findNameCorrector(const std::vector<NameCorrector>& correctors, const QString& configuration,
                       const QString& extension, NameCorrector& out) {
  if (extension.isEmpty()) return findNameCorrectorByConfiguration(correctors, configuration, out);
  QStringRef ext(&extension);
  if (ext.startsWith(QLatin1Char('.'))) ext = ext.mid(1);
  for (const NameCorrector& c : correctors) {
    if (c.configuration.compare(configuration, Qt::CaseInsensitive) == 0 &&
        listHolds(c.extensions, ext)) {
      out = c;
      return true;
    }
  }
  return false;
}

bool findNameCorrectorByConfiguration(const std::vector<NameCorrector>& correctors,
                                      const QString& configuration, NameCorrector& out) {
  for (const NameCorrector& c : correctors) {
    if (c.configuration.compare(configuration, Qt::CaseInsensitive) == 0) {
      out = c;
      return true;
    }
  }
  return false;
}
