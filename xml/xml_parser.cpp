#include "xml/xml_parser.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander_helper.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

namespace {

const char* const kTag = "XmlParser";

QString normalizedPrefix(const QString& prefix) {
  QString out = prefix.trimmed();
  if (!out.isEmpty() && !out.endsWith(QLatin1Char('.'))) out += QLatin1Char('.');
  return out;
}

// Only white space up to the end: such a file is an empty job, not a broken one.
bool holdsOnlyWhiteSpace(QIODevice& file) {
  if (!file.seek(0)) return false;
  char buffer[4096];
  for (;;) {
    const qint64 n = file.read(buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    for (qint64 i = 0; i < n; ++i) {
      const char c = buffer[i];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    }
  }
}

}  // namespace

XmlParser::XmlParser() { localVariables_.setRefuseSelfReference(true); }

XmlParser::~XmlParser() { stop(); }

bool XmlParser::isActive() const {
  QMutexLocker lock(&activeMutex_);
  return active_;
}

bool XmlParser::isStopRequested() const {
  QMutexLocker lock(&stopMutex_);
  return stopRequested_;
}

QString XmlParser::fileName() const { return fileName_; }

void XmlParser::stop() {
  {
    QMutexLocker lock(&stopMutex_);
    stopRequested_ = true;
  }
  QMutexLocker lock(&activeMutex_);
  if (!active_) return;
  reader_.clear();
  active_ = false;
  fileName_.clear();
}

int XmlParser::parseFile(const QString& fileName, bool replaceVariables,
                         const QString& variablesPrefix, const QString& objectPrefix) {
  if (isActive()) return kAlreadyActive;
  QFile file;
  ReadOpenResult opened = ReadOpenResult::CannotOpen;
  if (regularFilesOnly_) {
    opened = openRegularFile(file, fileName, QIODevice::ReadOnly | QIODevice::Text);
  } else {
    file.setFileName(fileSystemPath(fileName));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) opened = ReadOpenResult::Opened;
  }
  if (opened != ReadOpenResult::Opened) {
    VLOG_ERROR(kTag) << openFailureText(fileName, opened);
    return kCannotOpen;
  }
  return parseDevice(file, fileName, replaceVariables, variablesPrefix, objectPrefix);
}

int XmlParser::parseContent(const QString& fileName, const QByteArray& content, bool replaceVariables,
                            const QString& variablesPrefix, const QString& objectPrefix) {
  if (isActive()) return kAlreadyActive;
  QBuffer buffer;
  buffer.setData(content);
  // As parseFile reads a file: in text mode.
  if (!buffer.open(QIODevice::ReadOnly | QIODevice::Text)) return kCannotOpen;
  return parseDevice(buffer, fileName, replaceVariables, variablesPrefix, objectPrefix);
}

int XmlParser::readWholeFile(const QString& fileName, qint64 limit, QByteArray& content) {
  const ReadOpenResult read = readRegularFile(fileName, limit, content);
  if (read == ReadOpenResult::Opened) return 0;
  VLOG_ERROR(kTag) << openFailureText(fileName, read);
  return kCannotOpen;
}

int XmlParser::parseDevice(QIODevice& file, const QString& fileName, bool replaceVariables,
                           const QString& variablesPrefix, const QString& objectPrefix) {
  {
    QMutexLocker lock(&stopMutex_);
    stopRequested_ = false;
  }
  reader_.setDevice(&file);

  (void)localVariables_.clear();  // always-zero
  knownVariables_ = std::make_unique<VariablesSnapshot>(variablesGetter_);
  attributeTooLong_ = false;

  {
    QMutexLocker lock(&activeMutex_);
    active_ = true;
  }
  fileName_ = fileName;
  toNativeSeparators(fileName_);
  replaceVariables_ = replaceVariables;
  variablesPrefix_ = normalizedPrefix(variablesPrefix);
  objectPrefix_ = normalizedPrefix(objectPrefix);

  int code = beginParse();
  if (code == 0) code = readContent();
  // A reader fault ends the document early; running what was read would report a
  // broken job as a success.
  // A pipe cannot be read twice: there only a document with no character at all is empty.
  const auto isEmptyDocument = [&] {
    return reader_.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
           (file.isSequential() ? reader_.characterOffset() == 0 : holdsOnlyWhiteSpace(file));
  };
  if (code == 0 && isActive() && reader_.hasError() && !isEmptyDocument()) {
    VLOG_ERROR(kTag) << "XML error in file '" << fileName_ << "'. Line: " << reader_.lineNumber()
                     << ". Column: " << reader_.columnNumber()
                     << ". Error: " << reader_.errorString();
    code = kNotWellFormed;
  }
  if (code == 0) code = endParse();
  knownVariables_.reset();
  if (code != 0) {
    stop();
    return code;
  }
  // The file closes on return; the reader must not keep pointing at it.
  reader_.setDevice(nullptr);
  return 0;
}

int XmlParser::readContent() {
  if (!reader_.readNextStartElement() || !isElement(QStringLiteral("project"))) return 0;
  while (isActive() && !isStopRequested() && reader_.readNextStartElement()) {
    int code;
    if (isElement(QStringLiteral("vars"))) {
      code = readVarsElement();
    } else if (isElement(QStringLiteral("loadproperties"))) {
      code = readLoadPropertiesElement();
    } else if (isElement(QStringLiteral("includes"))) {
      code = readIncludesElement();
    } else {
      code = parseElement();
      if (code == 0 && attributeTooLong_) code = failTooLong();
    }
    if (code != 0) return code;
  }
  if (!isActive() || isStopRequested()) return 0;
  // Only white space, comments and processing instructions may follow the root; the
  // reader reports anything else, which then fails the file as not well-formed.
  while (!reader_.atEnd()) reader_.readNext();
  return 0;
}

int XmlParser::failTooLong() {
  VLOG_ERROR(kTag) << "Text too long in an attribute. This XML file: '" << fileName_
                   << "'. Line: " << reader_.lineNumber();
  return kTextTooLong;
}

int XmlParser::readVarsElement() {
  while (!isStopRequested() && readNextStartElement()) {
    if (isElement(QStringLiteral("var"))) {
      const int code = readVar();
      if (code != 0) return code;
    }
    skipCurrentElement();
  }
  return 0;
}

int XmlParser::readLoadPropertiesElement() {
  while (!isStopRequested() && readNextStartElement()) {
    if (isElement(QStringLiteral("file"))) {
      const int code = readPropertiesFile();
      if (code != 0) return code;
    }
    skipCurrentElement();
  }
  return 0;
}

int XmlParser::readIncludesElement() {
  while (!isStopRequested() && readNextStartElement()) {
    if (isElement(QStringLiteral("include"))) {
      const int code = readInclude();
      if (code != 0) return code;
    }
    skipCurrentElement();
  }
  return 0;
}

int XmlParser::readVar() {
  QString name, value, replaceText;
  readAttribute(QStringLiteral("name"), name);
  readAttribute(QStringLiteral("value"), value);
  readAttribute(QStringLiteral("replace"), replaceText);
  if (attributeTooLong_) return failTooLong();
  name = name.trimmed();
  if (name.isEmpty()) {
    VLOG_ERROR(kTag) << "Empty variable name. This XML file: '" << fileName_
                     << "'. Line: " << reader_.lineNumber();
    return kEmptyVariableName;
  }
  const bool replace = isTrue(replaceText.trimmed()) && replaceVariables_;
  name.prepend(variablesPrefix_);
  const VariableFlags flags{false, VariableFlags::kCategoryJob};

  // A read-only name keeps its value, as it always has; a value that names itself (it
  // would never expand to an end) or that is too long fails the file.
  auto refused = [&](int code) {
    const char* what = code == VariablesMgr::kRefersToItself ? "Variable refers to itself"
                       : code == kTextTooLong               ? "Variable value too long"
                                                            : nullptr;
    if (!what) return false;
    VLOG_ERROR(kTag) << what << ": '" << name << "'. This XML file: '" << fileName_
                     << "'. Line: " << reader_.lineNumber();
    return true;
  };
  if (replace || !localExists(name)) {
    const int code = setLocal(name, value, flags);
    if (refused(code)) return code;
  }
  if (!variablesGetter_ || !variablesSetter_) return 0;
  if (!replace && variablesGetter_->exists(name)) return 0;
  VLOG_INFO(kTag) << "Try to add variable with name: '" << name << "', value: '" << value
                  << "'. This XML file: '" << fileName_ << "'. Line: " << reader_.lineNumber();
  const int code = variablesSetter_->set(name, value, flags);
  if (refused(code)) return code;
  return 0;
}

bool XmlParser::localExists(const QString& name) {
  return localVariables_.exists(name) || (knownVariables_ && knownVariables_->exists(name));
}

int XmlParser::setLocal(const QString& name, const QString& value, VariableFlags flags) {
  VariableFlags known;
  QString knownValue;
  if (!localVariables_.exists(name) && knownVariables_ && knownVariables_->get(name, knownValue, &known) &&
      known.readOnly)
    return core_codes::kReadOnly;
  return localVariables_.set(name, value, flags);
}

QString XmlParser::absoluteAgainstFile(const QString& path) const {
  if (path.isEmpty()) return path;
  const QString joined = makeAbsolutePath(parentDirOf(fileName_), path);
  return QFileInfo(fileSystemPath(joined)).absoluteFilePath();
}

int XmlParser::readPropertiesFile() {
  QString file, replaceText, prefix;
  readAttribute(QStringLiteral("file"), file);
  readAttribute(QStringLiteral("replace"), replaceText);
  readAttribute(QStringLiteral("varprefix"), prefix);
  if (attributeTooLong_) return failTooLong();
  file = absoluteAgainstFile(file.trimmed());
  const qint64 line = reader_.lineNumber();
  VLOG_INFO(kTag) << "Try to load properties file: '" << file << "'. This XML file: '"
                  << fileName_ << "'. Line: " << line;
  if (file.isEmpty()) return 0;
  if (!fileExists(file)) {
    VLOG_ERROR(kTag) << "Properties file ('" << file << "') not found. This XML file: '"
                     << fileName_ << "'. Line: " << line;
    return kPropertiesFileMissing;
  }
  const int code = propertiesFile_.load(file, nullptr, variablesSetter_,
                                        isTrue(replaceText.trimmed()) && replaceVariables_,
                                        prefix.trimmed());
  if (code != 0) {
    VLOG_ERROR(kTag) << "Failed to read properties file ('" << file << "'). Error: " << code
                     << ". This XML file: '" << fileName_ << "'. Line: " << line;
  }
  return code;
}

int XmlParser::readInclude() {
  QString file, replaceText, variablesPrefix, objectPrefix;
  readAttribute(QStringLiteral("file"), file);
  readAttribute(QStringLiteral("replace"), replaceText);
  readAttribute(QStringLiteral("varprefix"), variablesPrefix);
  readAttribute(QStringLiteral("objprefix"), objectPrefix);
  if (attributeTooLong_) return failTooLong();
  file = absoluteAgainstFile(file.trimmed());
  VLOG_INFO(kTag) << "Try to include other XML file: '" << file << "'. This XML file: '"
                  << fileName_ << "'. Line: " << reader_.lineNumber();
  if (!includeCallback_) return 0;
  return includeCallback_->includeXml(callerId_, fileName_, file, isTrue(replaceText.trimmed()),
                                      variablesPrefix.trimmed(), objectPrefix.trimmed());
}

void XmlParser::logIncludeRequest(const QString& tag, const QString& callerId, const QString& parentFile,
                                  const QString& thisFile, bool replaceVariables, const QString& variablesPrefix,
                                  const QString& objectPrefix) {
  VLOG_INFO(tag) << "Tries to include XML. Caller id: '" << callerId << "'. Parent file: '" << parentFile
                 << "'. This file: '" << thisFile << "'. Replace variables: '" << (replaceVariables ? "yes" : "no")
                 << "'. Variables prefix: '" << variablesPrefix << "'. Object prefix: '" << objectPrefix << "'";
}

bool XmlParser::isElement(const QString& name) const {
  return isActive() && reader_.name().compare(name, Qt::CaseInsensitive) == 0;
}

bool XmlParser::readNextStartElement() { return isActive() && reader_.readNextStartElement(); }

void XmlParser::skipCurrentElement() {
  if (isActive()) reader_.skipCurrentElement();
}

bool XmlParser::readAttribute(const QString& name, QString& out) {
  if (!isActive()) return false;
  const QXmlStreamAttributes attributes = reader_.attributes();
  if (!attributes.hasAttribute(name)) return false;
  QString value = attributes.value(name).toString();
  const ReferenceLookup local = [this](const QString& variable, QString& found) {
    return localVariables_.get(variable, found) == 0 || (knownVariables_ && knownVariables_->get(variable, found));
  };
  if (value.contains(QLatin1Char('$')) && expandReferences(QLatin1Char('$'), local, value) != 0)
    attributeTooLong_ = true;
  out = value;
  return true;
}

bool XmlParser::isEnabled() {
  if (!isActive()) return false;
  QString value;
  if (!readAttribute(QStringLiteral("enable"), value)) return true;
  return !isFalse(value);
}
