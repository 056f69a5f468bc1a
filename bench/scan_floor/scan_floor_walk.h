#pragma once

// The floor of the 'build rules' scan: the plainest walk that Qt allows over the same
// tree. A path is a directory holding "varkel.xml" or such a file; each file is read
// once, whole, and parsed with QXmlStreamReader for the "path" of its "target"
// elements, which are walked in turn, depth first, against the file's directory.
// No variables, no checks beyond what the walk needs, no project table.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace scan_floor {

// The number of files read, or -1 when a path is missing or a file cannot be read.
inline int walk(const QString& path, int depth = 0) {
  if (depth > 1024) return -1;
  const QFileInfo info(path);
  if (!info.exists()) return -1;
  const QString file = info.isDir() ? info.absoluteFilePath() + QLatin1String("/varkel.xml") : path;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return info.isDir() ? 0 : -1;
  const QByteArray content = in.readAll();
  in.close();
  QStringList targets;
  QXmlStreamReader reader(content);
  while (!reader.atEnd()) {
    if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("target"))
      targets << reader.attributes().value(QLatin1String("path")).toString();
  }
  if (reader.hasError()) return -1;
  const QString directory = QFileInfo(file).absolutePath() + QLatin1Char('/');
  int files = 1;
  for (const QString& target : targets) {
    const int below = walk(directory + target, depth + 1);
    if (below < 0) return -1;
    files += below;
  }
  return files;
}

}  // namespace scan_floor
