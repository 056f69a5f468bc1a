#include "platform/system_environment.h"

#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <fcntl.h>
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

[[nodiscard]] unsigned readWholeFile(const QByteArray& path, QByteArray& content) {
  UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return lastError();
  content.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof(buffer));
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
  QByteArray content;
  const unsigned rc = readWholeFile(systemEnvironmentFilePath().toLocal8Bit(), content);
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

  // A file that is not there yet starts empty; a link stays a link (replaceFile).
  const QString file = systemEnvironmentFilePath();
  QByteArray content;
  const unsigned rc = readWholeFile(file.toLocal8Bit(), content);
  if (rc != 0 && rc != ENOENT) return rc;
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
  const unsigned written = replaceFile(file, lines.join('\n'), failedAt);
  if (oldTextLost) *oldTextLost = written != 0 && failedAt == WriteStep::Restore;
  return written;
}

}  // namespace platform
