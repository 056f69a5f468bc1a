#pragma once

#include "platform/directory_cursor.h"

#include <QString>

#include <atomic>

// File-system calls that Qt does not give in the form the file tasks need. Paths are
// in the file system's form ("/" between components). Results are 0 or errno.
// A symbolic link is never followed unless a function says so.
namespace platform {

// What lies at path, the link itself when it is one.
EntryKind entryKind(const QString& path);
// What lies at path once links are followed: None also for a link that leads nowhere.
EntryKind entryKindThroughLinks(const QString& path);

FileId fileId(const QString& path, bool followLinks);

// Copies the regular file at source (a link there is followed) into a new file beside
// target, gives it the source's permission bits and renames it over target, so that a
// failure leaves target as it was and no temporary file behind. A link at target is
// replaced, never written through. asLink: source is a link, and a new link with its
// text replaces target. The data goes in bounded pieces; a stop flag set before one of
// them ends the copy with ECANCELED, target as it was.
[[nodiscard]] int copyFileReplacing(const QString& source, const QString& target, bool asLink,
                                    const std::atomic<bool>* stop = nullptr);
[[nodiscard]] int copyFileReplacingAt(DirectoryCursor& sourceDir, const QString& sourceName,
                                      DirectoryCursor& targetDir, const QString& targetName, bool asLink,
                                      const std::atomic<bool>* stop = nullptr);

// Whether a copy may be written into a file without a name, linked in when whole (the
// default where the system allows it); false forces a named temporary file beside the
// target. For tests of both ways.
void allowUnnamedCopyFiles(bool allowed);

// Removes a file or a link (0 when nothing is there; EISDIR for a directory). When
// the first try is refused, the permission bits of the file itself are widened by
// read and write for its owner and it is tried once more.
[[nodiscard]] int removeFileEntry(const QString& path);
[[nodiscard]] int removeFileEntryAt(DirectoryCursor& dir, const QString& name);

// Removes path with everything below it, hidden entries included, at any depth up to
// kMaxWalkDepth; a link anywhere is removed as the link. 0 when nothing is there.
// Directories whose bits refuse the removal are widened for their owner. What could be
// removed is gone on failure. A set stop flag ends it between two entries with ECANCELED.
[[nodiscard]] int removeTree(const QString& path, const std::atomic<bool>* stop = nullptr);

// rename(2); a file or link moved to another file system is copied, then removed.
[[nodiscard]] int renamePath(const QString& from, const QString& to);

// Renames the directory from over the real directory at to (a link there is replaced
// as a link): the old one is renamed aside, put back when the rename fails, and
// removed after it succeeds (an old tree that resists removal stays hidden beside).
[[nodiscard]] int renameDirectoryReplacing(const QString& from, const QString& to);

// chdir(2) through Qt; errno on failure.
[[nodiscard]] int setCurrentDirectory(const QString& path);

// mkdir(2) of one directory, with the umask's permissions; 0 also when one is there.
[[nodiscard]] int makeDirectory(const QString& path);

}  // namespace platform
