#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

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

// How many levels below its root a walk goes; a cursor deeper than that fails with
// ENAMETOOLONG. As deep as a path reaches (2 048 levels of one-letter names fill
// PATH_MAX), and shallow enough for the stack of a walk that recurses, also in a
// sanitized build.
constexpr int kMaxWalkDepth = 2048;

// A directory of a tree that a walk moves through by names, one level at a time. Below
// its root no path is used, so a tree goes as deep as the file system holds it, and one
// descriptor is held whatever the depth: a step down opens the directory by its name in
// the one above, a step up goes through "..", and where that is no longer the directory
// the walk came down from (the tree was moved meanwhile) the names are taken from the
// root again. The root is reached by its path, through a link when followRootLink is set;
// below it a link is entered only when followLinks is set.
class DirectoryCursor {
 public:
  DirectoryCursor(const QString& rootPath, bool followRootLink, bool followLinks = false)
      : rootPath_(rootPath), followRootLink_(followRootLink), followLinks_(followLinks) {}
  ~DirectoryCursor() { close(); }
  DirectoryCursor(const DirectoryCursor&) = delete;
  DirectoryCursor& operator=(const DirectoryCursor&) = delete;

  const QString& rootPath() const { return rootPath_; }
  // Levels below the root.
  int depth() const { return static_cast<int>(names_.size()); }
  // One level down, into the directory of that name; nothing is opened yet.
  void enter(const QString& name);
  // One level up; nothing at the root.
  void leave();
  // The descriptor of the directory the cursor is at, opened when needed; -1 when it
  // cannot be, with errno's reason in error.
  int fd(int* error = nullptr);
  // Makes the directory the cursor is at, and every missing one above it; 0 or errno.
  // made tells whether it was missing.
  [[nodiscard]] int make(bool* made = nullptr);
  // Frees the descriptor; the next use opens it again.
  void close();

 private:
  friend int listDirectory(DirectoryCursor& dir, bool withHidden, std::vector<DirEntry>& out);

  int openLevel() const { return static_cast<int>(ids_.size()) - 1; }
  int reach(bool create, bool* made);
  int openRoot(bool create, bool* made);
  int stepDown(bool create, bool* made);
  void stepUp();
  // Takes fd as the open directory, one level below or above the one before.
  void replaceOpen(int fd);

  QString rootPath_;
  bool followRootLink_;
  bool followLinks_;
  std::vector<QByteArray> names_;  // of each level below the root, in the system's bytes
  std::vector<FileId> ids_;        // of each level from the root down to the open one
  int fd_ = -1;
  void* dir_ = nullptr;  // the C library's DIR over fd_, once listed
};

// The entries of a directory, unsorted, without "." and ".."; names that begin with
// "." only when withHidden is set. 0 or errno.
[[nodiscard]] int listDirectory(DirectoryCursor& dir, bool withHidden, std::vector<DirEntry>& out);

FileId fileIdAt(DirectoryCursor& dir, const QString& name, bool followLinks);

// Whether a directory that cannot be opened or listed for that error is one the user may
// not read, or one that is gone (or no directory any more).
bool isGoneOrUnreadable(int error);

}  // namespace platform
