#pragma once

#include "core/file_set_info.h"
#include "core/wildcard_pattern.h"

#include <QString>
#include <QStringList>

#include <vector>

// The include and exclude patterns of a file set, compiled once for a walk: the
// tests of matchesAnyInclude and matchesAnyExclude without a compile per name.
class FileSetFilter {
 public:
  FileSetFilter(const std::vector<FileSetInclude>& includes, const QStringList& excludes);

  // An empty path counts as excluded; an empty pattern excludes nothing.
  bool isExcluded(const QString& path) const;
  // An empty path is not included; no includes, or one with an empty name, take all.
  bool isIncluded(const QString& path) const;

 private:
  std::vector<WildcardPattern> includes_;
  std::vector<WildcardPattern> excludes_;
  bool includesAll_;
};
