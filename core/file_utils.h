#pragma once

#include "core/path_utils.h"
#include "platform/file_system.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <vector>

// File-system tests and changes on path texts; "\" and "/" are both separators.
// None of them logs: the result says what happened. The walks, copies and removals
// below never follow a symbolic link found inside a tree: a link is copied or
// removed as the link.

bool dirExists(const QString& path);
// Anything at all: a file, a directory, a link.
bool fileExists(const QString& path);
// What lies at path once links are followed, asked in one call: None when nothing is
// there, also for a link that leads nowhere.
platform::EntryKind entryKindThroughLinks(const QString& path);
// The directory and every missing parent; true when it exists afterwards.
bool makePath(const QString& path);
// The directory that would hold the file; true at once when the file exists.
bool makeParentPath(const QString& filePath);
// Removes a file or a link (never what it points to), even a read-only one; true when
// nothing is left there. A directory is left in place (false).
bool removeFile(const QString& path);

// The path made absolute against the current directory, "." and ".." folded, in the
// file system's form.
QString cleanAbsolutePath(const QString& path);

// Device and inode of what lies at path (platform::fileId on a path of either separator).
platform::FileId fileIdOf(const QString& path, bool followLinks);
inline platform::FileId fileIdIn(platform::DirectoryCursor& dir, const QString& name, bool followLinks) {
  return platform::fileIdAt(dir, name, followLinks);
}

// A relative path (the empty one too) taken against the program's own directory.
QString programRelativePath(const QString& path);

// Whether a and b name one existing file, reached through any spelling, a link or a
// hard link.
bool isSameFile(const QString& a, const QString& b);

// Whether dir is path itself or a directory above it, after links are resolved as far
// as each path exists (so "/a/link/.." is judged where it leads).
bool isSameOrAncestorDir(const QString& dir, const QString& path);

// What removing dir would take with it that a run must keep: "the file-system root",
// "the home directory", "the program's directory", "the job file's directory" (when
// jobDir is given), "the current directory", or, for a directory right below the
// root, "a top-level directory of the system"; empty when none of them.
QString protectedPlaceIn(const QString& dir, const QString& jobDir);

// A directory of a walk, which moves down and up the tree by names
// (platform::DirectoryCursor). The root may be reached through a link; below it a link
// is never entered, except in a target tree, where a link may stand for a directory.
using WalkDirectory = platform::DirectoryCursor;

// The entries of a directory as the lister shows them by default: no dot-files, sorted
// by name ignoring case. 0, or errno when it cannot be read (out is then empty).
[[nodiscard]] int listDirectorySorted(WalkDirectory& dir, std::vector<platform::DirEntry>& out);

// Whether a directory that could not be listed for that error has nothing to walk: the
// user may not read it, or it is gone (or no directory any more). Any other failure
// would leave files out unseen.
bool listsNothing(int error);
// Why the walk's directory could not be listed, for the log.
QString listFailureReason(const WalkDirectory& dir, int error);

// An entry's path as a walk writes it: the directory and the name joined by "/".
QString childPath(const QString& dir, const QString& name);

// Copies a file (a link as the link) onto target through a temporary file beside it
// that is renamed over it, with the source's permission bits: a failure leaves target
// as it was. 0 or errno; ECANCELED when the stop flag is set before the copy is whole.
// The walk's form names both by their directories.
[[nodiscard]] int copyFileSafely(const QString& source, const QString& target, bool asLink,
                                 const std::atomic<bool>* stop);
[[nodiscard]] int copyFileSafely(WalkDirectory& sourceDir, const QString& sourceName, WalkDirectory& targetDir,
                                 const QString& targetName, bool asLink, const std::atomic<bool>* stop);

// removeFile for an entry of a walk.
bool removeFileIn(WalkDirectory& dir, const QString& name);

// Removes a directory with everything in it, or a link to one as the link. True when
// nothing is left; on failure what could be removed is gone.
// A set stop flag ends the removal between two entries.
[[nodiscard]] bool removeDirectoryTree(const QString& path, const std::atomic<bool>* stop = nullptr);

// Renames a file, a link or a directory in one step where the system can; 0 or errno.
[[nodiscard]] int renameEntry(const QString& from, const QString& to);
// Renames a directory over the directory at to: the old one is set aside first and
// put back when the rename fails, then removed. 0 or errno.
[[nodiscard]] int renameDirectoryReplacing(const QString& from, const QString& to);

// Whether the path names a regular file once links are followed; never blocks.
bool isRegularFile(const QString& path);

enum class ReadOpenResult { Opened, NotRegularFile, CannotOpen, TooLarge };

// Opens a file that a job names for reading. Only a regular file is opened (links are
// followed); a FIFO or a device is refused at once instead of blocking the run.
ReadOpenResult openRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode);

// Reads such a file whole into content, as openRegularFile would open it: TooLarge when
// it holds more than limit bytes.
ReadOpenResult readRegularFile(const QString& path, qint64 limit, QByteArray& content);

// "Failed to open file: '<path>'", and why when the file is not a regular one or too large.
QString openFailureText(const QString& path, ReadOpenResult result);
