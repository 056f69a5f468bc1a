#pragma once

#include "core/properties_file.h"
#include "core/result_codes.h"
#include "core/variables.h"
#include "core/variables_mgr.h"
#include "xml/result_codes.h"

#include <QByteArray>
#include <QIODevice>
#include <QMutex>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

// Receives the "include" elements of a file; whoever reads included files implements it.
class IXmlParserCallback {
 public:
  virtual ~IXmlParserCallback() = default;
  [[nodiscard]] virtual int includeXml(const QString& callerId, const QString& parentFile,
                                       const QString& thisFile, bool replaceVariables,
                                       const QString& variablesPrefix, const QString& objectPrefix) = 0;
};

// Base of every XML reader: opens the file, checks the root "project", reads "vars",
// "loadproperties" and "includes" itself and hands every other top-level element to
// parseElement. Attribute values read through it are expanded against the file's own
// table of variables: its "var" elements over a snapshot of the variables getter taken
// when the file is opened, so that opening a file copies nothing.
class XmlParser {
 public:
  static constexpr int kAlreadyActive = xml_codes::kAlreadyActive;
  static constexpr int kCannotOpen = xml_codes::kCannotOpen;
  static constexpr int kNotWellFormed = xml_codes::kNotWellFormed;
  static constexpr int kPropertiesFileMissing = xml_codes::kPropertiesFileMissing;
  static constexpr int kEmptyVariableName = xml_codes::kEmptyVariableName;
  // Also from the hooks' attributes: a value that expands beyond kMaxTextLength.
  static constexpr int kTextTooLong = core_codes::kTextTooLong;

  XmlParser();
  virtual ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // 0, or the first failure. On success the parser stays active until stop(). The file
  // is read to its end, never by its size.
  [[nodiscard]] int parseFile(const QString& fileName, bool replaceVariables, const QString& variablesPrefix,
                              const QString& objectPrefix);
  // parseFile over the content of fileName already read whole.
  [[nodiscard]] int parseContent(const QString& fileName, const QByteArray& content, bool replaceVariables,
                                 const QString& variablesPrefix, const QString& objectPrefix);
  void stop();
  QString fileName() const;

  // For the hooks while parseFile runs; all are inert when no document is open.
  bool isElement(const QString& name) const;
  bool readNextStartElement();
  void skipCurrentElement();
  bool readAttribute(const QString& name, QString& out);
  bool isEnabled();

  // On by default: a file that a job names must be a regular file, so that a FIFO or a
  // device cannot block the run. The command line's job file may be a pipe.
  void setRegularFilesOnly(bool only) { regularFilesOnly_ = only; }

  void setIncludeCallback(IXmlParserCallback* callback) { includeCallback_ = callback; }
  void setVariablesGetter(IVariablesGetter* getter) { variablesGetter_ = getter; }
  void setVariablesSetter(IVariablesSetter* setter) { variablesSetter_ = setter; }

 protected:
  [[nodiscard]] virtual int beginParse() = 0;
  // The reader stands on the element's start; the hook reads or skips it to its end.
  [[nodiscard]] virtual int parseElement() = 0;
  [[nodiscard]] virtual int endParse() = 0;

  bool isActive() const;
  bool isStopRequested() const;
  // The line with which a reader of included files acknowledges an "include" element.
  static void logIncludeRequest(const QString& tag, const QString& callerId, const QString& parentFile,
                                const QString& thisFile, bool replaceVariables, const QString& variablesPrefix,
                                const QString& objectPrefix);
  // Hands each child element called name to read, which reads it through to its end,
  // and skips every other child; ends at the element's end, at a stop, or with the
  // first non-zero code of read.
  template <typename Read>
  [[nodiscard]] int readChildren(const QString& name, Read read) {
    while (!isStopRequested() && readNextStartElement()) {
      if (!isElement(name)) {
        skipCurrentElement();
        continue;
      }
      if (const int code = read()) return code;
    }
    return 0;
  }
  // Reads a regular file whole for parseContent: 0, or kCannotOpen, logged as parseFile
  // logs it (also for a file of more than limit bytes).
  [[nodiscard]] static int readWholeFile(const QString& fileName, qint64 limit, QByteArray& content);
  IVariablesGetter* variablesGetter() const { return variablesGetter_; }
  IVariablesSetter* variablesSetter() const { return variablesSetter_; }

 private:
  [[nodiscard]] int parseDevice(QIODevice& file, const QString& fileName, bool replaceVariables,
                                const QString& variablesPrefix, const QString& objectPrefix);
  [[nodiscard]] int readContent();
  [[nodiscard]] int failTooLong();
  [[nodiscard]] int readVarsElement();
  [[nodiscard]] int readLoadPropertiesElement();
  [[nodiscard]] int readIncludesElement();
  [[nodiscard]] int readVar();
  [[nodiscard]] int readPropertiesFile();
  [[nodiscard]] int readInclude();
  QString absoluteAgainstFile(const QString& path) const;
  // The file's own table: its "var" elements first, then what the getter held.
  bool localExists(const QString& name);
  [[nodiscard]] int setLocal(const QString& name, const QString& value, VariableFlags flags);

  bool stopRequested_ = false;
  mutable QMutex stopMutex_;
  bool active_ = false;
  mutable QMutex activeMutex_;

 protected:
  QXmlStreamReader reader_;

 private:
  IVariablesGetter* variablesGetter_ = nullptr;
  IVariablesSetter* variablesSetter_ = nullptr;
  QString callerId_;
  QString fileName_;
  bool replaceVariables_ = false;
  QString variablesPrefix_;
  QString objectPrefix_;
  VariablesMgr localVariables_;
  // While a file is read: what the variables getter held when it was opened.
  std::unique_ptr<VariablesSnapshot> knownVariables_;
  PropertiesFile propertiesFile_;
  IXmlParserCallback* includeCallback_ = nullptr;
  bool regularFilesOnly_ = true;
  // Set by readAttribute when an expanded value would outgrow kMaxTextLength.
  bool attributeTooLong_ = false;
};
