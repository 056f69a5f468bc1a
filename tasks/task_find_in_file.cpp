#include "tasks/task_find_in_file.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>

namespace {

const QLatin1String kName("FindInFile");
// Far beyond any text file a job searches; /dev/zero or a runaway log would
// otherwise fill the memory.
constexpr qint64 kMaxBytes = qint64(256) * 1024 * 1024;
constexpr qint64 kChunk = 1024 * 1024;

enum class ReadResult { Ok, Failed, TooLarge };

// The contents up to the first NUL byte, line ends read as line feeds.
ReadResult readText(QFile& file, QByteArray& out) {
  for (;;) {
    const QByteArray chunk = file.read(kChunk);
    if (chunk.isEmpty()) return file.error() == QFileDevice::NoError ? ReadResult::Ok : ReadResult::Failed;
    const int nul = chunk.indexOf('\0');
    out += nul < 0 ? chunk : chunk.left(nul);
    if (nul >= 0) return ReadResult::Ok;
    if (out.size() > kMaxBytes) return ReadResult::TooLarge;
  }
}

}  // namespace

TaskFindInFile::TaskFindInFile(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskFindInFile::~TaskFindInFile() { markInterrupted(); }

int TaskFindInFile::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                          IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(run(expander, setter), setter, resultVar, failOnError);
}

int TaskFindInFile::run(IVariablesExpander* expander, IVariablesSetter* setter) {
  using namespace task_texts;
  QString file = expandedTrimmed(expander, propertyText(kFile));
  const QString openExisting = expandedTrimmed(expander, propertyText(kOpenExisting));
  const QString text = expandedTrimmed(expander, propertyText(kText));
  const QString caseInsensitive = expandedTrimmed(expander, propertyText(kCaseInsensitive));
  const QString asRegExp = expandedTrimmed(expander, propertyText(kAsRegExp));
  const QString valueVar = expandedTrimmed(expander, propertyText(kValueVar));

  const QString in = indentUnit();
  VLOG_INFO(kName) << "Try to find in the file. \r\n"
                   << in << "File: '" << file << "'.\r\n"
                   << in << "Open existing: '" << openExisting << "'.\r\n"
                   << in << "Text: '" << text << "'.\r\n"
                   << in << "Case insensitive: '" << caseInsensitive << "'.\r\n"
                   << in << "As regular expression: '" << asRegExp << "'.\r\n"
                   << in << "Values variable: '" << valueVar << "'.\r\n"
                   << in << "Task ID: " << getId();

  if (text.isEmpty()) {
    setVariable(setter, valueVar, falseString());
    VLOG_WARNING(kName) << "Text to search is not defined. Task ID: " << getId();
    return task_codes::kOk;
  }
  if (file.isEmpty()) {
    VLOG_ERROR(kName) << "File not defined! Task ID: " << getId();
    return task_codes::kNotDefined;
  }
  file = programRelativePath(file);
  if (!fileExists(file)) {
    if (isTrue(openExisting)) {
      VLOG_ERROR(kName) << "File '" << file << "' not found! Task ID: " << getId();
      return task_codes::kFileNotFound;
    }
    VLOG_WARNING(kName) << "File '" << file << "' not found! Task ID: " << getId();
    return task_codes::kOk;
  }
  // Only a regular file: a FIFO would block the run in open() for ever.
  QFile input;
  const ReadOpenResult opened = openRegularFile(input, file, QIODevice::ReadOnly | QIODevice::Text);
  if (opened != ReadOpenResult::Opened) {
    VLOG_ERROR(kName) << "Failed to open the file '" << file << "'! "
                      << (opened == ReadOpenResult::NotRegularFile ? "It is not a regular file. " : "")
                      << "Task ID: " << getId();
    return task_codes::kCannotOpenFile;
  }
  QByteArray bytes;
  switch (readText(input, bytes)) {
    case ReadResult::Ok: break;
    case ReadResult::Failed:
      VLOG_ERROR(kName) << "Failed to read the file '" << file << "'! Task ID: " << getId();
      return task_codes::kCannotOpenFile;
    case ReadResult::TooLarge:
      VLOG_ERROR(kName) << "The file '" << file << "' is larger than " << kMaxBytes
                        << " bytes and is not searched! Task ID: " << getId();
      return task_codes::kCannotOpenFile;
  }
  const QString contents = QString::fromUtf8(bytes);
  bool found = false;
  if (isTrue(asRegExp)) {
    // Always case-sensitive; an invalid expression matches nothing.
    const QRegularExpression expression(text);
    found = expression.isValid() && expression.match(contents).hasMatch();
  } else {
    found = contents.contains(text, isTrue(caseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
  }
  setVariable(setter, valueVar, boolText(found));
  return task_codes::kOk;
}
