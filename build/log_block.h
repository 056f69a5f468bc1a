#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

// One "<label>: '<value>'." line of a project task's log summary.
using LogField = std::pair<const char*, QString>;

// A head line, then one indented line per field, then the task id: the form of the
// project tasks' summaries.
QString logBlock(const QString& head, std::initializer_list<LogField> fields, std::uint64_t taskId);
