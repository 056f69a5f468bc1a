#pragma once

#include "platform/file_system.h"

#include <QString>

#include <vector>

// File-system tests and changes on path texts; "\" and "/" are both separators.
// None of them logs: the result says what happened.

bool dirExists(const QString& path);
// Anything at all: a file, a directory, a link.
bool fileExists(const QString& path);
// The directory and every missing parent; true when it exists afterwards.
bool makePath(const QString& path);
// The directory that would hold the file; true at once when the file exists.
bool makeParentPath(const QString& filePath);
// Removes a file even when it is read-only; true when nothing is left there.
// A directory is left in place (false).
bool removeFile(const QString& path);

// The path made absolute against the current directory, "." and ".." folded, in the
// file system's form.
QString cleanAbsolutePath(const QString& path);

// Device and inode of what lies at path (platform::fileId on a path of either separator).
platform::FileId fileIdOf(const QString& path, bool followLinks);

// Whether a and b name one file: equal paths by the file system's rule, or the same
// file reached through another spelling, a link or a hard link.
bool isSameFile(const QString& a, const QString& b);

// The entries of a directory as the lister shows them by default: no dot-files, sorted
// by name ignoring case. isRoot: the directory a walk starts from, which may be reached
// through a link; below it a link is never entered. False when it cannot be read.
[[nodiscard]] bool listDirectorySorted(const QString& path, bool isRoot, std::vector<platform::DirEntry>& out);

// An entry's path as a walk writes it: the directory and the name joined by "/".
QString childPath(const QString& dir, const QString& name);

// Copies a file (a link as the link) onto target through a temporary file beside it
// that is renamed over it, with the source's permission bits: a failure leaves target
// as it was. 0 or errno.
[[nodiscard]] int copyFileSafely(const QString& source, const QString& target, bool asLink);

// The same onto a target that does not exist yet, without a temporary file. When
// something is there after all, nothing is done and targetExisted is set. 0 or errno.
[[nodiscard]] int copyFileToNewTarget(const QString& source, const QString& target, bool asLink, bool& targetExisted);
