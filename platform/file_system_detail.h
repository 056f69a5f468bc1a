#pragma once

// What the files of the file-system layer share among themselves; nothing outside
// platform/ includes this.

#include "platform/directory_cursor.h"

#include <QByteArray>

#include <cerrno>
#include <sys/stat.h>

namespace platform {
namespace detail {

EntryKind kindOfMode(mode_t mode);
FileId idOf(const struct stat& st);

inline bool isRefused(int error) { return error == EACCES || error == EPERM; }

// Adds bits to the entry's own permissions; a link (or what a link points to) is
// never changed. True when the bits were changed, so that a retry may help.
bool widenForOwner(int dirFd, const char* name, mode_t bits);

// A hidden name beside target, unused so far: ".<name>.<pid>.<n>.tmp".
QByteArray tempNameBeside(const QByteArray& target);
constexpr int kTempAttempts = 100;

// renameat with both names in one directory; a target refused for its bits is widened
// for its owner and tried once more.
int renameOverAt(int dirFd, const QByteArray& from, const QByteArray& to);

}  // namespace detail
}  // namespace platform
