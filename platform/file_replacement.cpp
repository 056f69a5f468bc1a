#include "platform/file_replacement.h"

#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A temporary name must stay within the file system's limit on one name.
constexpr int kMaxTempBaseName = 200;
constexpr int kTempAttempts = 100;

[[nodiscard]] unsigned lastError() { return static_cast<unsigned>(lastErrno()); }

// Names of temporary files that exist for a moment, with their directories, for the
// stop path to remove.
constexpr int kPendingSlots = 4;
constexpr int kMaxSlotName = kMaxTempBaseName + 64;
enum SlotState : int { kFree, kFilling, kHeld };
struct PendingSlot {
  std::atomic<int> state{kFree};
  int dir = -1;
  char name[kMaxSlotName];
};
PendingSlot g_pending[kPendingSlots];

int notePending(int dir, const QByteArray& name) {
  if (name.size() >= kMaxSlotName) return -1;
  for (int i = 0; i < kPendingSlots; ++i) {
    int expected = kFree;
    if (!g_pending[i].state.compare_exchange_strong(expected, kFilling)) continue;
    g_pending[i].dir = dir;
    std::memcpy(g_pending[i].name, name.constData(), static_cast<std::size_t>(name.size()) + 1);
    g_pending[i].state.store(kHeld);
    return i;
  }
  return -1;
}

// The temporary name of a new file in the target's directory: removed again unless the
// file took the target's place.
class TemporaryName {
 public:
  explicit TemporaryName(const RewriteTarget& target) : target_(target) {}
  ~TemporaryName() {
    if (!name_.isEmpty()) (void)::unlinkat(target_.dir.get(), name_.constData(), 0);
    if (slot_ >= 0) g_pending[slot_].state.store(kFree);
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;

  // Gives the name to what make(dir, candidate) makes: a file opened (its descriptor) or
  // linked (0), -1 with errno on failure. Names that are taken are passed over.
  template <typename Make>
  int take(Make make) {
    const QByteArray base = "." + target_.name.left(kMaxTempBaseName) + ".";
    for (int i = 0; i < kTempAttempts; ++i) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, "%d.%d", static_cast<int>(::getpid()), i);
      const QByteArray candidate = base + QByteArray(suffix);
      const int made = make(target_.dir.get(), candidate.constData());
      if (made >= 0) {
        name_ = candidate;
        slot_ = notePending(target_.dir.get(), name_);
        return made;
      }
      if (errno != EEXIST) return -1;
    }
    return -1;
  }

  // Puts the file under the target's name; a missing target is never made over one
  // that appeared meanwhile.
  Attempt rename() {
    const int dir = target_.dir.get();
    if (!stillAsChosen(target_)) return {Outcome::Changed};
    int rc = -1;
    if (!target_.exists) {
      rc = ::renameat2(dir, name_.constData(), dir, target_.name.constData(), RENAME_NOREPLACE);
      if (rc != 0 && errno == EEXIST) return {Outcome::Changed};
    }
    if (target_.exists || (rc != 0 && (errno == EINVAL || errno == ENOSYS)))
      rc = ::renameat(dir, name_.constData(), dir, target_.name.constData());
    if (rc != 0) return failedAt(WriteStep::Write, lastError());
    name_.clear();
    return {};
  }

 private:
  const RewriteTarget& target_;
  QByteArray name_;
  int slot_ = -1;
};

// The new text, and then all that the old file was; synced.
Attempt fill(int fd, const RewriteTarget& target, const QByteArray& content) {
  unsigned rc = static_cast<unsigned>(writeAll(fd, content.constData(), static_cast<std::size_t>(content.size())));
  if (rc != 0) return failedAt(WriteStep::Write, rc);
  if (target.exists) {
    const Attempt kept = keepWhatItWas(fd, target);
    if (kept.outcome != Outcome::Done) return kept;
  }
  if (::fsync(fd) != 0) return failedAt(WriteStep::Write, lastError());
  return {};
}

// A new file is made as an append makes it, so the umask and the directory's default
// ACL give it its mode; one that stands in for an old file is no one else's meanwhile.
mode_t creationMode(const RewriteTarget& target) { return target.exists ? 0600 : 0666; }

// A new file with a name from the start, for a file system or a kernel that cannot
// make or link one without.
Attempt writeNamed(const RewriteTarget& target, const QByteArray& content) {
  TemporaryName temp(target);
  const mode_t mode = creationMode(target);
  const int opened = temp.take([mode](int dir, const char* name) {
    return ::openat(dir, name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, mode);
  });
  if (opened < 0) return failedAt(WriteStep::Open, lastError());
  UniqueFd fd(opened);
  const Attempt filled = fill(fd.get(), target, content);
  if (filled.outcome != Outcome::Done) return filled;
  if (fd.close() != 0) return failedAt(WriteStep::Write, lastError());
  return temp.rename();
}

}  // namespace

Attempt writeReplacement(const RewriteTarget& target, const QByteArray& content) {
  const int unnamed = ::openat(target.dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, creationMode(target));
  if (unnamed < 0) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return failedAt(WriteStep::Open, lastError());
    return writeNamed(target, content);
  }
  UniqueFd fd(unnamed);
  const Attempt filled = fill(fd.get(), target, content);
  if (filled.outcome != Outcome::Done) return filled;
  TemporaryName temp(target);
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd.get());
  const int linked = temp.take([&fd, &self](int dir, const char* name) {
    // Through /proc any user may link it; without /proc, before Linux 6.10, only a
    // privileged one.
    if (::linkat(AT_FDCWD, self, dir, name, AT_SYMLINK_FOLLOW) == 0) return 0;
    return errno == ENOENT ? ::linkat(fd.get(), "", dir, name, AT_EMPTY_PATH) : -1;
  });
  if (linked < 0) return writeNamed(target, content);
  if (fd.close() != 0) return failedAt(WriteStep::Write, lastError());
  return temp.rename();
}

void removePendingTemporaryFiles() {
  for (PendingSlot& slot : g_pending)
    if (slot.state.load() == kHeld) (void)::unlinkat(slot.dir, slot.name, 0);
}

}  // namespace platform
