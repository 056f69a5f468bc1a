#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// No reader fills a corrector's extensions; the record is kept for the file sets' shape.
struct NameCorrector {
  QString extensions;
  QString configuration;
  QString prefix;
  QString suffix;
};

struct FileSetInclude {
  QString name;
  QString synonym;
  QString targetsubdir;
};

// One file set of a build-rules output or of a copy, move or delete element.
struct FileSetInfo {
  QString id;
  QString dir;
  QString condition;
  std::vector<NameCorrector> nameCorrectors;
  std::vector<FileSetInclude> includes;
  QStringList excludes;  // only job files give excludes
};
