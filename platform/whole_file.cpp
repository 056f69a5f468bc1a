#include "platform/whole_file.h"

#include "platform/file_io.h"
#include "platform/file_replacement.h"
#include "platform/in_place_write.h"
#include "platform/rewrite_choice.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A name that changes under every write is not chased for ever.
constexpr int kChoiceRounds = 4;

[[nodiscard]] unsigned rewrite(const QString& path, const QByteArray& content, bool refuseReadOnly,
                               WriteStep& failedAt) {
  for (int round = 0; round < kChoiceRounds; ++round) {
    failedAt = WriteStep::Open;
    RewriteTarget target;
    const unsigned rc = resolveTarget(path, target);
    if (rc != 0) return rc;
    if (refuseReadOnly && target.exists &&
        ::faccessat(target.dir.get(), target.name.constData(), W_OK, AT_EACCESS) != 0)
      return static_cast<unsigned>(lastErrno());
    Attempt attempt{Outcome::CannotKeep};
    if (rewriteOf(target) == Rewrite::Replace) attempt = writeReplacement(target, content);
    if (attempt.outcome == Outcome::CannotKeep) attempt = writeInPlace(target, content);
    if (attempt.outcome == Outcome::Changed) continue;
    failedAt = attempt.step;
    return attempt.outcome == Outcome::Done ? 0 : attempt.error;
  }
  return EAGAIN;
}

// Cuts a closed file back to its old length.
bool cutAgain(const RewriteTarget& target, const struct stat& old) {
  UniqueFd fd(::openat(target.dir.get(), target.name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat now;
  return fd.get() >= 0 && ::fstat(fd.get(), &now) == 0 && now.st_ino == old.st_ino && now.st_dev == old.st_dev &&
         ::ftruncate(fd.get(), old.st_size) == 0;
}

}  // namespace

unsigned replaceFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  return rewrite(path, content, false, failedAt);
}

unsigned replaceFile(const QString& path, const QByteArray& content) {
  WriteStep failedAt;
  return rewrite(path, content, false, failedAt);
}

unsigned writeWholeFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  return rewrite(path, content, true, failedAt);
}

unsigned appendToFile(const QString& path, const QByteArray& content, WriteStep& failedAt) {
  failedAt = WriteStep::Open;
  // The file a link names is the one made here, and the one removed again.
  RewriteTarget target;
  const unsigned resolved = resolveTarget(path, target);
  if (resolved != 0) return resolved;
  const int dir = target.dir.get();
  const char* name = target.name.constData();
  // Non-blocking only while opening: a pipe without a reader is refused, not waited on.
  const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool created = false;
  int opened = -1;
  if (!target.exists) {
    opened = ::openat(dir, name, flags | O_CREAT | O_EXCL, 0666);
    created = opened >= 0;
  }
  if (opened < 0 && (target.exists || errno == EEXIST)) opened = ::openat(dir, name, flags);
  if (opened < 0) return static_cast<unsigned>(lastErrno());
  UniqueFd fd(opened);
  struct stat old {};
  if (!makeBlocking(fd.get(), old)) {
    const unsigned rc = static_cast<unsigned>(lastErrno());
    if (created) (void)::unlinkat(dir, name, 0);
    return rc;
  }
  failedAt = WriteStep::Write;
  const bool cutBack = S_ISREG(old.st_mode) && !created;
  unsigned rc =
      static_cast<unsigned>(writeAll(fd.get(), content.constData(), static_cast<std::size_t>(content.size())));
  if (rc != 0 && cutBack && ::ftruncate(fd.get(), old.st_size) != 0) failedAt = WriteStep::Restore;
  if (fd.close() != 0 && rc == 0) {
    rc = static_cast<unsigned>(lastErrno());
    if (cutBack && !cutAgain(target, old)) failedAt = WriteStep::Restore;
  }
  if (rc != 0 && created) (void)::unlinkat(dir, name, 0);
  return rc;
}

QString fileErrorText(unsigned code) { return QString::fromLocal8Bit(std::strerror(static_cast<int>(code))); }

QString fileErrorText(unsigned code, WriteStep failedAt) {
  const QString reason = fileErrorText(code);
  return failedAt == WriteStep::Restore ? reason + QLatin1String("; its old text could not be put back") : reason;
}

}  // namespace platform
