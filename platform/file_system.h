#pragma once

#include <QString>

#include <atomic>

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

// Device and inode, through links or of the link itself; valid is false when
// nothing is there.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool valid = false;
  bool operator==(const FileId& o) const { return valid && o.valid && device == o.device && inode == o.inode; }
};

// A directory whose entries are reached by name alone: one lookup per call instead of
// a walk of the whole path, which is what a walk over many files costs most. Opened on
// first use, and again after close(). followLink: whether the directory itself may be
// reached through a link (a walk's root) or must be a real directory (a step down).
class DirectoryHandle {
 public:
  DirectoryHandle(const QString& path, bool followLink) : path_(path), followLink_(followLink) {}
  ~DirectoryHandle() { close(); }
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;

  const QString& path() const { return path_; }
  // 0 or errno.
  [[nodiscard]] int open();
  // Frees the descriptor, so that a deep walk holds one per level at most.
  void close();
  // The descriptor, opened when needed; -1 when the directory cannot be opened.
  int fd();

 private:
  friend int listDirectory(DirectoryHandle& dir, bool withHidden, std::vector<DirEntry>& out);

  QString path_;
  bool followLink_;
  void* dir_ = nullptr;  // the C library's DIR
  int error_ = 0;
};

// The entries of a directory, unsorted, without "." and ".."; names that begin with
// "." only when withHidden is set.
[[nodiscard]] int listDirectory(DirectoryHandle& dir, bool withHidden, std::vector<DirEntry>& out);

// What lies at path, the link itself when it is one.
EntryKind entryKind(const QString& path);
// What lies at path once links are followed: None also for a link that leads nowhere.
EntryKind entryKindThroughLinks(const QString& path);

FileId fileId(const QString& path, bool followLinks);
FileId fileIdAt(DirectoryHandle& dir, const QString& name, bool followLinks);

// Copies the regular file at source (a link there is followed) into a new file beside
// target, gives it the source's permission bits and renames it over target, so that a
// failure leaves target as it was and no temporary file behind. A link at target is
// replaced, never written through. asLink: source is a link, and a new link with its
// text replaces target.
[[nodiscard]] int copyFileReplacing(const QString& source, const QString& target, bool asLink);
[[nodiscard]] int copyFileReplacingAt(DirectoryHandle& sourceDir, const QString& sourceName,
                                      DirectoryHandle& targetDir, const QString& targetName, bool asLink);

// Whether a copy may be written into a file without a name, linked in when whole (the
// default where the system allows it); false forces a named temporary file beside the
// target. For tests of both ways.
void allowUnnamedCopyFiles(bool allowed);

// Removes a file or a link (0 when nothing is there; EISDIR for a directory). When
// the first try is refused, the permission bits of the file itself are widened by
// read and write for its owner and it is tried once more.
[[nodiscard]] int removeFileEntry(const QString& path);
[[nodiscard]] int removeFileEntryAt(DirectoryHandle& dir, const QString& name);

// Removes path with everything below it, hidden entries included; a link anywhere
// is removed as the link. 0 when nothing is there. Directories whose bits refuse the
// removal are widened for their owner. What could be removed is gone on failure.
// A set stop flag ends it between two entries with ECANCELED.
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
