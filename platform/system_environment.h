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

// How long a read or a write waits, at most, for another process's write of the file.
constexpr int kSystemEnvironmentLockWaitMs = 10000;

// 0 and the value as written in the file (references not expanded); 2 when the file has
// no such name, errno when it cannot be read. An empty name gives 0 and an empty value.
// Waits while another process writes the file in place (kSystemEnvironmentLockWaitMs,
// or until a stop: ETIMEDOUT, EINTR).
[[nodiscard]] unsigned readRegistryString(const QString& valueName, QString& value);

// Writes one variable into the file of the system environment key: every other line
// stays as it was, the variable's line is replaced or appended, and the file is rewritten
// whole (replaceFile). The read, the change and the rewrite hold the file's lock, so that
// processes writing at once keep each other's variables: one waits for another up to
// kSystemEnvironmentLockWaitMs (ETIMEDOUT), or until a stop (EINTR). A file that the
// writer may read but not write (its own read-only file, which the rename still replaces)
// is held shared: it keeps out every writer that may write it, not another like itself.
// Where the file system has no such locks the write goes on without one, and writers at
// once may lose each other's variables. 87 for a path that does not split, 2 for any
// other key, EINVAL for a name or value that the file's lines cannot hold, else 0 or
// errno (EACCES for a file the writer may not read); oldTextLost, when given, tells a
// failure that left the file with neither its old text nor the new. The view is ignored here.
[[nodiscard]] unsigned writeRegistryString(const QString& path, const QString& valueName, int view,
                                          const QString& value, bool* oldTextLost = nullptr);

// Why a read or a write could not have the file's lock, for a log line; empty for a
// failure of another kind.
QString systemEnvironmentLockFailure(unsigned code);

// For tests only: the lock wait of later reads and writes.
void setSystemEnvironmentLockWaitForTesting(int ms);

}  // namespace platform
