#pragma once

#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// How a whole-file rewrite writes its file, and the file it writes: every step of one
// rewrite works on one open descriptor of the file's directory, so a link on the way
// that changes meanwhile cannot take a step into another directory.
namespace platform {

// The file a path names once links are followed, also when that name is not there yet.
struct RewriteTarget {
  UniqueFd dir{-1};  // opened O_PATH
  QByteArray name;   // one name within dir
  struct stat old {};  // what the name was when it was looked up
  bool exists = false;
};

// Resolves the path: 0, or errno (EISDIR for a path that ends in a directory).
[[nodiscard]] unsigned resolveTarget(const QString& path, RewriteTarget& target);

enum class Rewrite { Replace, InPlace };

// The one rule for every file the program rewrites: a new file under the old name is
// the same file only where the file has no other name, is a plain file of its
// directory's mount, and its owner, group and place let us make it again.
Rewrite rewriteOf(const RewriteTarget& target);

// Whether the name is still what the choice was made on: the same file, with as many
// names, of the same type, owner and group; or still missing.
bool stillAsChosen(const RewriteTarget& target);

// Files that the kernel makes up as they are read: a new file cannot stand in for one,
// and their old text is no text to keep.
bool onPseudoFileSystem(int fd);

// How one try at a rewrite ended.
enum class Outcome {
  Done,
  Failed,      // error and step say why
  CannotKeep,  // a new file could not be the same file: the file itself is written instead
  Changed,     // the name changed under the write: the choice is made again
};

struct Attempt {
  Outcome outcome = Outcome::Done;
  unsigned error = 0;
  WriteStep step = WriteStep::Open;
};

inline Attempt failedAt(WriteStep step, unsigned error) { return {Outcome::Failed, error, step}; }

}  // namespace platform
