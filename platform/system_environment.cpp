#include "platform/system_environment.h"

#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

const char kSystemEnvironmentKeyPath[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

namespace {

const char kSystemEnvironmentSubkey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\\";
const char kDefaultFile[] = "/etc/environment";
// The file is a short list of lines; anything larger is not that file.
const qint64 kMaxFileSize = 16 * 1024 * 1024;

struct RootName {
  const char* name;
  RegistryRootKey key;
};

const RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", RegistryRootKey::ClassesRoot},
    {"HKEY_CURRENT_USER", RegistryRootKey::CurrentUser},
    {"HKCU", RegistryRootKey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RegistryRootKey::LocalMachine},
    {"HKLM", RegistryRootKey::LocalMachine},
    {"HKEY_USERS", RegistryRootKey::Users},
    {"HKU", RegistryRootKey::Users},
    {"HKEY_CURRENT_CONFIG", RegistryRootKey::CurrentConfig},
    {"HKCC", RegistryRootKey::CurrentConfig},
};

[[nodiscard]] unsigned lastError() { return static_cast<unsigned>(lastErrno()); }

std::atomic<int> g_lockWaitMs{kSystemEnvironmentLockWaitMs};

using Clock = std::chrono::steady_clock;

int msUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Non-blocking, so that a pipe in the file's place is refused instead of waited on.
int openFile(const QByteArray& path, int flags) {
  int fd;
  do {
    fd = ::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes the lock, waiting for another holder up to the deadline: 0, ETIMEDOUT, EINTR for
// a stop, or the error of a file system without such locks.
int lockUntil(int fd, FileLock kind, Clock::time_point deadline) {
  const int rc = tryFileLock(fd, kind);
  return heldByAnother(rc) ? waitForFileLock(fd, kind, msUntil(deadline)) : rc;
}

bool isLockFailure(int rc) { return rc == ETIMEDOUT || rc == EINTR; }

bool isSameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the name still gives the open file.
bool namesFile(const QByteArray& path, int fd) {
  struct stat named, open;
  return ::stat(path.constData(), &named) == 0 && ::fstat(fd, &open) == 0 && isSameFile(named, open);
}

// The file that the name gives, held against every writer until the descriptor closes:
// exclusively, or shared where it may only be read (its writer's own read-only file, which
// the rename still replaces). A writer before may have renamed a new file over the one
// locked, so the name is looked at again under the lock. A missing file is made, empty,
// to have something to lock. 0, ETIMEDOUT, EINTR for a stop, or errno; where the file
// system has no such locks, the file is open without one.
[[nodiscard]] unsigned openForChange(const QByteArray& path, int& fd, bool& created) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(g_lockWaitMs.load());
  for (;;) {
    created = false;
    FileLock kind = FileLock::Exclusive;
    int opened = openFile(path, O_RDWR);
    if (opened < 0 && errno == ENOENT) {
      opened = openFile(path, O_RDWR | O_CREAT);
      created = opened >= 0;
    } else if (opened < 0 && errno == EACCES) {
      opened = openFile(path, O_RDONLY);
      kind = FileLock::Shared;
    }
    if (opened < 0) return lastError();
    UniqueFd file(opened);
    const int rc = lockUntil(opened, kind, deadline);
    if (isLockFailure(rc)) return static_cast<unsigned>(rc);
    if (rc != 0 || namesFile(path, opened)) {
      fd = file.release();
      return 0;
    }
    if (Clock::now() >= deadline) return ETIMEDOUT;
  }
}

// The file made for a change that then failed goes again, unless it has become another's.
void removeIfStillEmpty(const QByteArray& path, int fd) {
  char* real = ::realpath(path.constData(), nullptr);
  if (!real) return;
  struct stat named, open;
  if (::lstat(real, &named) == 0 && ::fstat(fd, &open) == 0 && isSameFile(named, open) && open.st_size == 0)
    (void)::unlink(real);
  std::free(real);
}

// The file as it stands, shared with other readers while no writer changes it in place.
[[nodiscard]] unsigned openForRead(const QByteArray& path, int& fd) {
  UniqueFd file(openFile(path, O_RDONLY));
  if (file.get() < 0) return lastError();
  const int rc = lockUntil(file.get(), FileLock::Shared,
                           Clock::now() + std::chrono::milliseconds(g_lockWaitMs.load()));
  if (isLockFailure(rc)) return static_cast<unsigned>(rc);
  fd = file.release();
  return 0;
}

[[nodiscard]] unsigned readAll(int fd, QByteArray& content) {
  content.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof(buffer), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return 0;
    if (content.size() + n > kMaxFileSize) return EFBIG;
    content.append(buffer, static_cast<int>(n));
  }
}

// The name of a line "NAME=value", blanks around the name ignored; empty for a
// comment, an empty line or a line without "=".
QByteArray lineName(const QByteArray& line) {
  const QByteArray trimmed = line.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith('#')) return QByteArray();
  const int eq = line.indexOf('=');
  return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

QByteArray lineValue(QByteArray line) {
  if (line.endsWith('\r')) line.chop(1);
  QByteArray value = line.mid(line.indexOf('=') + 1);
  if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) value = value.mid(1, value.size() - 2);
  return value;
}

// Later lines override earlier ones, as when the file is read at login.
int lastLineOf(const QList<QByteArray>& lines, const QByteArray& name) {
  for (int i = lines.size() - 1; i >= 0; --i)
    if (lineName(lines[i]) == name) return i;
  return -1;
}

bool isWritableName(const QByteArray& name) {
  if (name.isEmpty() || name.startsWith('#')) return false;
  for (char c : name)
    if (c == '=' || c == '\0' || c == '\n' || c == '\r' || c == ' ' || c == '\t') return false;
  return true;
}

bool isWritableValue(const QByteArray& value) {
  return !value.contains('\n') && !value.contains('\r') && !value.contains('\0');
}

// Quoted when the bare text would not read back the same.
QByteArray formatLine(const QByteArray& name, const QByteArray& value) {
  bool quote = false;
  for (char c : value)
    if (c == ' ' || c == '\t' || c == '#' || c == '"' || c == '\'') quote = true;
  return name + '=' + (quote ? '"' + value + '"' : value);
}

}  // namespace

RegistryRootKey parseRegistryRootKey(const QString& name) {
  for (const RootName& root : kRootNames)
    if (name == QLatin1String(root.name)) return root.key;
  return RegistryRootKey::None;
}

bool splitRegistryPath(const QString& path, RegistryRootKey& root, QString& subkey) {
  const int slash = path.indexOf(QLatin1Char('\\'));
  if (slash < 0) return false;
  const RegistryRootKey key = parseRegistryRootKey(path.left(slash));
  if (key == RegistryRootKey::None) return false;
  root = key;
  subkey = path.mid(slash + 1);
  if (!subkey.isEmpty() && !subkey.endsWith(QLatin1Char('\\'))) subkey += QLatin1Char('\\');
  return true;
}

QString systemEnvironmentFilePath() {
  const QString replaced = qEnvironmentVariable("VARKEL_SYSTEM_ENVIRONMENT_FILE");
  return replaced.isEmpty() ? QString::fromLatin1(kDefaultFile) : replaced;
}

unsigned readRegistryString(const QString& valueName, QString& value) {
  value.clear();
  if (valueName.isEmpty()) return 0;
  int fd = -1;
  unsigned rc = openForRead(QFile::encodeName(systemEnvironmentFilePath()), fd);
  if (rc != 0) return rc;
  const UniqueFd file(fd);
  QByteArray content;
  rc = readAll(fd, content);
  if (rc != 0) return rc;
  const QList<QByteArray> lines = content.split('\n');
  const int at = lastLineOf(lines, valueName.toUtf8());
  if (at < 0) return kErrorFileNotFound;
  value = QString::fromUtf8(lineValue(lines[at]));
  return 0;
}

unsigned writeRegistryString(const QString& path, const QString& valueName, int view, const QString& value,
                             bool* oldTextLost) {
  (void)view;
  if (oldTextLost) *oldTextLost = false;
  RegistryRootKey root = RegistryRootKey::None;
  QString subkey;
  if (!splitRegistryPath(path, root, subkey)) return kErrorInvalidParameter;
  // Key names compare without regard to case, as the registry's do.
  if (root != RegistryRootKey::LocalMachine ||
      subkey.compare(QLatin1String(kSystemEnvironmentSubkey), Qt::CaseInsensitive) != 0)
    return kErrorFileNotFound;

  const QByteArray name = valueName.toUtf8();
  const QByteArray nativeValue = value.toUtf8();
  if (!isWritableName(name) || !isWritableValue(nativeValue)) return EINVAL;

  // A link stays a link (replaceFile).
  const QString file = systemEnvironmentFilePath();
  const QByteArray native = QFile::encodeName(file);
  int fd = -1;
  bool created = false;
  unsigned rc = openForChange(native, fd, created);
  if (rc != 0) return rc;
  const UniqueFd locked(fd);  // held from the read to the replacement
  QByteArray content;
  rc = readAll(fd, content);
  if (rc == 0) {
    QList<QByteArray> lines = content.split('\n');
    const int at = lastLineOf(lines, name);
    if (at >= 0) {
      const bool crlf = lines[at].endsWith('\r');
      lines[at] = formatLine(name, nativeValue) + (crlf ? "\r" : "");
    } else {
      // The text after the last line end is an unfinished line, or nothing.
      if (lines.last().isEmpty()) lines.removeLast();
      lines << formatLine(name, nativeValue) << QByteArray();
    }
    WriteStep failedAt = WriteStep::Open;
    rc = replaceFile(file, lines.join('\n'), failedAt);
    if (oldTextLost) *oldTextLost = rc != 0 && failedAt == WriteStep::Restore;
  }
  if (rc != 0 && created) removeIfStillEmpty(native, fd);
  return rc;
}

void setSystemEnvironmentLockWaitForTesting(int ms) { g_lockWaitMs = ms; }

QString systemEnvironmentLockFailure(unsigned code) {
  if (code == ETIMEDOUT)
    return QStringLiteral("another process held it for %1 ms").arg(g_lockWaitMs.load());
  if (code == EINTR) return QStringLiteral("a stop came while waiting for it");
  return QString();
}

}  // namespace platform
