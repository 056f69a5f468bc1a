#pragma once

#include "core/text_helpers.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

// The block the system variable tasks log: the header, then each labelled value
// quoted on an indented line, then the task id.
inline QString sysVarReport(const char* header, std::initializer_list<std::pair<const char*, QString>> lines,
                            std::uint64_t id) {
  QString text = QLatin1String(header) + QLatin1String(". \r\n");
  for (const auto& line : lines)
    text += indent(1) + QLatin1String(line.first) + QLatin1String(": '") + line.second + QLatin1String("'.\r\n");
  return text + indent(1) + QLatin1String("Task ID: ") + QString::number(id);
}
