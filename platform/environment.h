#pragma once

#include "platform/result_codes.h"

#include <QString>

namespace platform {

// Error numbers the callers expect of the process environment.
constexpr unsigned kErrorEnvironmentVariableNotFound = platform_codes::kEnvironmentVariableNotFound;

// 0 and the value; 203 when the variable does not exist. An empty name gives 0
// and an empty value.
[[nodiscard]] unsigned queryEnvironmentVariable(const QString& name, QString& value);

// Sets a variable of this process, or removes it for an empty value: 0, or errno.
[[nodiscard]] unsigned setEnvironmentVariable(const QString& name, const QString& value);

// Replaces each %NAME% whose NAME is a process variable by its value. A reference
// to an unknown name, "%%" and a lone "%" stay as they are. Always 0.
[[nodiscard]] unsigned expandEnvironmentStrings(const QString& text, QString& result);

}  // namespace platform
