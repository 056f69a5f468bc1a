#pragma once

#include "platform/result_codes.h"

#include <QString>

// System-wide environment variables. They live in the file that new login sessions
// read (/etc/environment, or the file named by VARKEL_SYSTEM_ENVIRONMENT_FILE),
// reached through the registry path of the system environment key.
namespace platform {

constexpr unsigned kErrorFileNotFound = platform_codes::kFileNotFound;
constexpr unsigned kErrorInvalidParameter = platform_codes::kInvalidParameter;

extern const char kSystemEnvironmentKeyPath[];

enum class RegistryRootKey { None, ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Exact names only: "HKEY_LOCAL_MACHINE" and "HKLM" match, "hklm" does not.
RegistryRootKey parseRegistryRootKey(const QString& name);
// Splits at the first backslash into a known root and a subkey that, when not
// empty, ends with a backslash.
bool splitRegistryPath(const QString& path, RegistryRootKey& root, QString& subkey);

QString systemEnvironmentFilePath();

// 0 and the value as written in the file (references not expanded); 2 when the
// file has no such name, errno when it cannot be read. An empty name gives 0 and
// an empty value.
[[nodiscard]] unsigned readRegistryString(const QString& valueName, QString& value);

// Writes one variable into the file of the system environment key: every other
// line stays as it was, the variable's line is replaced or appended, and the file
// is rewritten whole (replaceFile). 87 for a path that does not split, 2 for any
// other key, EINVAL for a name or value that the file's lines cannot hold, else 0 or
// errno; oldTextLost, when given, tells a failure that left the file with neither its
// old text nor the new. The view is ignored here.
[[nodiscard]] unsigned writeRegistryString(const QString& path, const QString& valueName, int view,
                                          const QString& value, bool* oldTextLost = nullptr);

}  // namespace platform
