#include "platform/file_system.h"

#include "platform/unique_fd.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int lastError() { return errno != 0 ? errno : EIO; }

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

EntryKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

EntryKind kindOfEntry(int dirFd, const dirent* entry) {
  switch (entry->d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Directory;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: {
      struct stat st;
      if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::None;
      return kindOfMode(st.st_mode);
    }
    default: return EntryKind::Other;
  }
}

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A hidden name beside target, unused so far: ".<name>.<pid>.<n>.tmp".
QByteArray tempNameBeside(const QByteArray& target) {
  static std::atomic<unsigned> counter{0};
  const int slash = target.lastIndexOf('/');
  QByteArray name = target.left(slash + 1);
  name += '.';
  name += target.mid(slash + 1).left(200);  // room for the added parts in a 255-byte name
  name += '.';
  name += QByteArray::number(static_cast<qint64>(::getpid()));
  name += '.';
  name += QByteArray::number(counter.fetch_add(1, std::memory_order_relaxed));
  name += ".tmp";
  return name;
}

constexpr int kTempAttempts = 100;

int createTempBeside(const QByteArray& target, QByteArray& temp) {
  for (int i = 0; i < kTempAttempts; ++i) {
    temp = tempNameBeside(target);
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

int copyByReading(int in, int out) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof(buffer));
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return lastError();
      }
      done += w;
    }
  }
}

int copyData(int in, int out, off_t size) {
  bool first = true;
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(1) << 30, 0);
    if (n > 0) {
      first = false;
      continue;
    }
    // Files that report no size give nothing to this call.
    if (n == 0) return first && size == 0 ? copyByReading(in, out) : 0;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
      return copyByReading(in, out);
    return lastError();
  }
}

int renameOver(const QByteArray& from, const QByteArray& to) {
  return ::rename(from.constData(), to.constData()) == 0 ? 0 : lastError();
}

// Copies the regular file at source into the file that makeOut creates (its name in
// created), with the source's permission bits; a failure removes the created file.
template <typename MakeOut>
int copyRegularFile(const QString& source, QByteArray& created, MakeOut makeOut) {
  // Non-blocking, so that a pipe named as the source is refused, not waited on.
  UniqueFd in(::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (in.get() < 0) return lastError();
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return lastError();
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  UniqueFd out(makeOut(created));
  if (out.get() < 0) return lastError();
  int rc = copyData(in.get(), out.get(), st.st_size);
  if (rc == 0 && ::fchmod(out.get(), st.st_mode & 07777) != 0) rc = lastError();
  if (rc == 0 && out.close() != 0) rc = lastError();
  if (rc != 0) ::unlink(created.constData());
  return rc;
}

int readLinkText(const QString& source, QByteArray& text) {
  text = QByteArray(4096, '\0');
  const ssize_t n = ::readlink(encoded(source).constData(), text.data(), static_cast<size_t>(text.size()));
  if (n < 0) return lastError();
  if (n >= text.size()) return ENAMETOOLONG;
  text.truncate(static_cast<int>(n));
  return 0;
}

}  // namespace

int listDirectory(const QString& path, bool withHidden, bool followLink, std::vector<DirEntry>& out) {
  out.clear();
  const int fd = ::open(encoded(path).constData(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
  if (fd < 0) return lastError();
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    const int error = lastError();
    ::close(fd);
    return error;
  }
  int rc = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      rc = errno;
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (!withHidden || isDotOrDotDot(name))) continue;
    out.push_back({QFile::decodeName(name), kindOfEntry(fd, entry)});
  }
  ::closedir(dir);
  return rc;
}

FileId fileId(const QString& path, bool followLinks) {
  const QByteArray p = encoded(path);
  struct stat st;
  FileId id;
  if ((followLinks ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) != 0) return id;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.valid = true;
  return id;
}

int copyFileReplacing(const QString& source, const QString& target) {
  const QByteArray to = encoded(target);
  QByteArray temp;
  int rc = copyRegularFile(source, temp, [&to](QByteArray& name) { return createTempBeside(to, name); });
  if (rc == 0) {
    rc = renameOver(temp, to);
    if (rc != 0) ::unlink(temp.constData());
  }
  return rc;
}

int copyFileCreating(const QString& source, const QString& target) {
  QByteArray to = encoded(target);
  return copyRegularFile(source, to, [](QByteArray& name) {
    return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
  });
}

int copyLinkReplacing(const QString& source, const QString& target) {
  const QByteArray to = encoded(target);
  QByteArray text;
  int rc = readLinkText(source, text);
  if (rc != 0) return rc;
  QByteArray temp;
  rc = EEXIST;
  for (int i = 0; i < kTempAttempts && rc == EEXIST; ++i) {
    temp = tempNameBeside(to);
    rc = ::symlink(text.constData(), temp.constData()) == 0 ? 0 : lastError();
  }
  if (rc != 0) return rc;
  rc = renameOver(temp, to);
  if (rc != 0) ::unlink(temp.constData());
  return rc;
}

int copyLinkCreating(const QString& source, const QString& target) {
  QByteArray text;
  const int rc = readLinkText(source, text);
  if (rc != 0) return rc;
  return ::symlink(text.constData(), encoded(target).constData()) == 0 ? 0 : lastError();
}

}  // namespace platform
