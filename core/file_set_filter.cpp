#include "core/file_set_filter.h"

FileSetFilter::FileSetFilter(const std::vector<FileSetInclude>& includes, const QStringList& excludes)
    : includesAll_(includes.empty()) {
  for (const FileSetInclude& include : includes) {
    if (include.name.isEmpty()) includesAll_ = true;
    includes_.emplace_back(include.name);
  }
  for (const QString& pattern : excludes)
    if (!pattern.isEmpty()) excludes_.emplace_back(pattern);
}

bool FileSetFilter::isExcluded(const QString& path) const {
  if (path.isEmpty()) return true;
  for (const WildcardPattern& pattern : excludes_)
    if (pattern.matches(path)) return true;
  return false;
}

bool FileSetFilter::isIncluded(const QString& path) const {
  if (path.isEmpty()) return false;
  if (includesAll_) return true;
  for (const WildcardPattern& pattern : includes_)
    if (pattern.matches(path)) return true;
  return false;
}
