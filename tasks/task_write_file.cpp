#include "tasks/task_write_file.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "platform/whole_file.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

#include <QByteArray>

#include <vector>

namespace {
const QLatin1String kName("WriteFile");
}  // namespace

TaskWriteFile::TaskWriteFile(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskWriteFile::~TaskWriteFile() { markInterrupted(); }

int TaskWriteFile::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                         IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(run(expander), setter, resultVar, failOnError);
}

int TaskWriteFile::run(IVariablesExpander* expander) {
  using namespace task_texts;
  QString file = expandedTrimmed(expander, propertyText(kFile));
  const QString openExisting = expandedTrimmed(expander, propertyText(kOpenExisting));
  const QString truncate = expandedTrimmed(expander, propertyText(kTruncate));
  const QString createNew = expandedTrimmed(expander, propertyText(kCreateNew));
  std::vector<QString> items;
  (void)getProperties()->getStringList(kText, items);  // no list: nothing to write
  for (QString& item : items) expandVariables(expander, item);

  const QString in = indentUnit();
  VLOG_INFO(kName) << "Try to write into file. \r\n"
                   << in << "File: '" << file << "'.\r\n"
                   << in << "Open existing: '" << openExisting << "'.\r\n"
                   << in << "Truncate: '" << truncate << "'.\r\n"
                   << in << "Create new: '" << createNew << "'.\r\n"
                   << in << "Text items to write: " << items.size() << ".\r\n"
                   << in << "Task ID: " << getId();

  if (file.isEmpty()) {
    VLOG_ERROR(kName) << "File not defined! Task ID: " << getId();
    return task_codes::kNotDefined;
  }
  file = programRelativePath(file);
  if (isTrue(openExisting) && !fileExists(file)) {
    VLOG_ERROR(kName) << "File '" << file << "' not found! Task ID: " << getId();
    return task_codes::kFileNotFound;
  }
  if (isTrue(createNew) && fileExists(file)) {
    VLOG_ERROR(kName) << "File '" << file << "' already exists! Task ID: " << getId();
    return task_codes::kFileExists;
  }
  QByteArray bytes;
  for (const QString& item : items) {
    const int nul = item.indexOf(QChar(0));
    bytes += (nul < 0 ? item : item.left(nul)).toUtf8();
  }
  // A truncating write replaces the file only once the new text is whole, or puts the old
  // text back; a failed append is cut back. Where even that fails, the log says so.
  platform::WriteStep failedAt = platform::WriteStep::Open;
  const QString path = fileSystemPath(file);
  const unsigned error = isTrue(truncate) ? platform::writeWholeFile(path, bytes, failedAt)
                                          : platform::appendToFile(path, bytes, failedAt);
  if (error != 0) {
    const char* what = failedAt == platform::WriteStep::Open ? "open" : "write";
    VLOG_ERROR(kName) << "Failed to " << what << " the file '" << file << "'! "
                      << platform::fileErrorText(error, failedAt) << ". Task ID: " << getId();
    return task_codes::kCannotOpenFile;
  }
  return task_codes::kOk;
}
