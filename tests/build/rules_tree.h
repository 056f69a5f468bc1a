#pragma once

// A temporary tree of 'build rules' files for the walker, the reader and the driver.

#include "test_support.h"

#include <QString>
#include <QTemporaryDir>

namespace build_testing {

class RulesTree {
 public:
  QString path(const QString& relative = QString()) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
  }

  // Writes the file (parents created) and returns its absolute path.
  QString write(const QString& relative, const QByteArray& content) {
    const QString file = path(relative);
    testing_support::writeFile(file, content);
    return file;
  }

  // A 'build rules' file holding a "scan" element with one target per path, and the
  // given further content (solutions, vars) under the root.
  QString rules(const QString& relativeDir, const QStringList& targets, const QByteArray& more = QByteArray()) {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<project>\n  <scan><targets>\n";
    for (const QString& target : targets) xml += "    <target path=\"" + target.toUtf8() + "\"/>\n";
    xml += "  </targets></scan>\n" + more + "</project>\n";
    return write(relativeDir.isEmpty() ? QStringLiteral("varkel.xml") : relativeDir + QStringLiteral("/varkel.xml"),
                 xml);
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace build_testing
