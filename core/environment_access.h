#pragma once

#include <QString>

// Process and system-wide environment variables. Each returns 0, or 5 after logging
// "Failed to call '<function>'. Native error: <code>" with the tag "System"; when the
// system environment file's lock could not be had, a second line names the file and why.
// An out value is assigned only on success; an empty name or text gives 0 and an
// empty value.

[[nodiscard]] int getProcessEnvironmentVariable(QString& value, const QString& name);
// An empty value removes the variable; an empty name does nothing.
[[nodiscard]] int setProcessEnvironmentVariable(const QString& name, const QString& value);

// The value as written, with %NAME% references unexpanded.
[[nodiscard]] int getSystemEnvironmentVariable(QString& value, const QString& name);
// Changes what new sessions read, not this process's own environment; an empty
// name does nothing. A failure that left the file with neither its old text nor the
// new is logged once more, naming the file.
[[nodiscard]] int setSystemEnvironmentVariable(const QString& name, const QString& value);

// Replaces each %NAME% reference to a process variable by its value.
[[nodiscard]] int expandEnvironmentStrings(QString& result, const QString& text);
