#include "build/log_block.h"

#include "core/text_helpers.h"

QString logBlock(const QString& head, std::initializer_list<LogField> fields, std::uint64_t taskId) {
  const QString in = indentUnit();
  QString text = head + QLatin1String("\r\n");
  for (const LogField& field : fields)
    text += in + QLatin1String(field.first) + QLatin1String(": '") + field.second + QLatin1String("'.\r\n");
  return text + in + QLatin1String("Task ID: ") + QString::number(taskId);
}
