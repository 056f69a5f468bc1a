#pragma once

#include "xml/xml_element_readers.h"
#include "xml/xml_parser.h"

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class IFileEnumCallback;
class IVariablesExpander;

// Walks 'build rules' files (varkel.xml): from a start path it finds the file there,
// reports it, then walks the file's scan targets in order, depth first. Reads only the
// "scan" element of each file. Each file is read from the disk once: while it is
// reported, the callback may take its content from reportedContent.
class BuildRulesEnum : public XmlParser {
 public:
  // Targets reached through more files than this fail instead of deepening the stack.
  static constexpr int kMaxNestedTargets = 1024;
  // A 'build rules' file is read whole; a larger one cannot be opened (501).
  static constexpr qint64 kMaxRulesFileSize = 64 * 1024 * 1024;

  BuildRulesEnum() = default;

  // One whole walk: 0, or the first failure (2 an empty path, 21 a missing path, 41 a
  // path walked twice, 42 targets nested too deeply, the reader's code for a file that
  // cannot be read, or the callback's code). Both pointers may be null.
  [[nodiscard]] int enumerate(std::uint32_t taskId, const QString& startPath, IVariablesExpander* expander,
                              IFileEnumCallback* callback);
  // Makes a walk in progress report no further file and list no further directory.
  void requestStop();
  bool isRunning() const;

  [[nodiscard]] int enumerateFiles(std::uint32_t taskId, const QString& path, IVariablesExpander* expander,
                                   IFileEnumCallback* callback);
  [[nodiscard]] int processRule(std::uint32_t taskId, const QString& rulesFile, IVariablesExpander* expander,
                                IFileEnumCallback* callback);
  // The last path component is "varkel.xml" in any letter case.
  static bool isRulesFile(const QString& path);

  // While path is being reported through fileFound: the content of that file as the walk
  // read it; null otherwise.
  const QByteArray* reportedContent(const QString& path) const;

 protected:
  [[nodiscard]] int beginParse() override;
  [[nodiscard]] int parseElement() override;
  [[nodiscard]] int endParse() override;

 private:
  // A "target" of a rules file, with where it stands there.
  struct ScanTarget {
    QString path;
    XmlPlace place;
  };
  // The file that names the path; null for the start of the walk.
  struct NamedBy {
    const QString& rulesFile;
    const XmlPlace& place;
  };
  [[nodiscard]] int walkPath(std::uint32_t taskId, const QString& path, const NamedBy* namedBy,
                             IVariablesExpander* expander, IFileEnumCallback* callback);
  // ". This XML file: '<file>'. Line: <line>. Column: <column>", or nothing for the start.
  static QString namedByText(const NamedBy* namedBy);
  bool isStopped() const;
  void setRunning(bool running);
  void readScanElement();
  // content: the file as already read, when it was; emptied once the file is reported.
  [[nodiscard]] int processRule(std::uint32_t taskId, const QString& rulesFile, QByteArray* content,
                                IVariablesExpander* expander, IFileEnumCallback* callback);
  // The 'build rules' file of a directory: "varkel.xml", else, of the regular files whose
  // name is that in another case, the one whose name is smallest by character codes
  // (capitals first: "VARKEL.XML" before "Varkel.xml").
  [[nodiscard]] int processDirectory(std::uint32_t taskId, const QString& directory, IVariablesExpander* expander,
                                     IFileEnumCallback* callback);
  // The path of such a file in another case, or a null text when there is none.
  static QString rulesFileInAnyCase(const QString& directory);

  mutable QMutex runningMutex_;
  bool running_ = false;
  mutable QMutex stopMutex_;
  bool stop_ = false;
  QSet<QString> visited_;
  std::vector<ScanTarget> targets_;
  int nestedTargets_ = 0;
  QString reportedPath_;
  QByteArray reportedContent_;
};
