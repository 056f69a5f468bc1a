#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// File-system calls that Qt does not give in the form file-set copying needs. Paths
// are in the file system's form ("/" between components). Results are 0 or errno.
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

// Device and inode, through links or of the link itself; valid is false when
// nothing is there.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool valid = false;
  bool operator==(const FileId& o) const { return valid && o.valid && device == o.device && inode == o.inode; }
};
FileId fileId(const QString& path, bool followLinks);

// Copies the regular file at source into a new file beside target, gives it the
// source's permission bits and renames it over target: a failure leaves target as it
// was. A link at target is replaced, never written through.
[[nodiscard]] int copyFileReplacing(const QString& source, const QString& target);

// A new link at target with the text of the link at source, replacing target.
[[nodiscard]] int copyLinkReplacing(const QString& source, const QString& target);

// The same copies onto a target that must not exist yet: EEXIST when something is
// there. Nothing to replace needs no temporary file; a failed copy removes its own
// partial target.
[[nodiscard]] int copyFileCreating(const QString& source, const QString& target);
[[nodiscard]] int copyLinkCreating(const QString& source, const QString& target);

}  // namespace platform
