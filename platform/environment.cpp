#include "platform/environment.h"

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

// getenv and setenv end a name at the first "=" or zero byte; such a name would
// reach another variable than the one asked for.
bool isUsableName(const QByteArray& name) {
  return !name.isEmpty() && !name.contains('=') && !name.contains('\0');
}

const char* lookup(const QString& name) {
  const QByteArray native = name.toLocal8Bit();
  return isUsableName(native) ? std::getenv(native.constData()) : nullptr;
}

}  // namespace

unsigned queryEnvironmentVariable(const QString& name, QString& value) {
  value.clear();
  if (name.isEmpty()) return 0;
  const char* found = lookup(name);
  if (!found) return kErrorEnvironmentVariableNotFound;
  value = QString::fromLocal8Bit(found);
  return 0;
}

unsigned setEnvironmentVariable(const QString& name, const QString& value) {
  const QByteArray nativeName = name.toLocal8Bit();
  const QByteArray nativeValue = value.toLocal8Bit();
  if (!isUsableName(nativeName) || nativeValue.contains('\0')) return EINVAL;
  const int rc = nativeValue.isEmpty() ? ::unsetenv(nativeName.constData())
                                       : ::setenv(nativeName.constData(), nativeValue.constData(), 1);
  return rc == 0 ? 0u : static_cast<unsigned>(errno);
}

unsigned expandEnvironmentStrings(const QString& text, QString& result) {
  QString out;
  out.reserve(text.size());
  int pos = 0;
  while (pos < text.size()) {
    const int open = text.indexOf(QLatin1Char('%'), pos);
    const int close = open < 0 ? -1 : text.indexOf(QLatin1Char('%'), open + 1);
    if (close < 0) {
      out += text.midRef(pos);
      break;
    }
    out += text.midRef(pos, open - pos);
    const QString name = text.mid(open + 1, close - open - 1);
    const char* value = name.isEmpty() ? nullptr : lookup(name);
    if (value)
      out += QString::fromLocal8Bit(value);
    else
      out += text.midRef(open, close - open + 1);
    pos = close + 1;
  }
  result = out;
  return 0;
}

}  // namespace platform
