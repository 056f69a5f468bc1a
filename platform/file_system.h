#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// File-system calls that Qt does not give in the form the file tasks need. Paths are
// in the file system's form ("/" between components). Results are 0 or errno.
// A symbolic link is never followed unless a function says so.
namespace platform {

enum class EntryKind { None, File, Directory, Link, Other };

struct DirEntry {
  QString name;
  EntryKind kind = EntryKind::None;
};

// The entries of a directory, unsorted, without "." and ".."; names that begin with
// "." only when withHidden is set. followLink: whether the directory itself may be
// reached through a link (a walk's root) or must be a real directory (a step down).
[[nodiscard]] int listDirectory(const QString& path, bool withHidden, bool followLink,
                                std::vector<DirEntry>& out);

// What lies at path, the link itself when it is one.
EntryKind entryKind(const QString& path);

// Device and inode, through links or of the link itself; valid is false when
// nothing is there.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool valid = false;
  bool operator==(const FileId& o) const { return valid && o.valid && device == o.device && inode == o.inode; }
};
FileId fileId(const QString& path, bool followLinks);

// Copies the regular file at source (a link there is followed) into a new file beside
// target, gives it the source's permission bits and renames it over target, so that a
// failure leaves target as it was and no temporary file behind. A link at target is
// replaced, never written through.
[[nodiscard]] int copyFileReplacing(const QString& source, const QString& target);

// A new link at target with the text of the link at source, replacing target.
[[nodiscard]] int copyLinkReplacing(const QString& source, const QString& target);

// Removes a file or a link (0 when nothing is there; EISDIR for a directory). When
// the first try is refused, the permission bits of the file itself are widened by
// read and write for its owner and it is tried once more.
[[nodiscard]] int removeFileEntry(const QString& path);

// Removes path with everything below it, hidden entries included; a link anywhere
// is removed as the link. 0 when nothing is there. Directories whose bits refuse the
// removal are widened for their owner. What could be removed is gone on failure.
[[nodiscard]] int removeTree(const QString& path);

// rename(2); a file or link moved to another file system is copied, then removed.
[[nodiscard]] int renamePath(const QString& from, const QString& to);

// Renames the directory from over the real directory at to (a link there is replaced
// as a link): the old one is renamed aside, put back when the rename fails, and
// removed after it succeeds (an old tree that resists removal stays hidden beside).
[[nodiscard]] int renameDirectoryReplacing(const QString& from, const QString& to);

// chdir(2) through Qt; errno on failure.
[[nodiscard]] int setCurrentDirectory(const QString& path);

}  // namespace platform
