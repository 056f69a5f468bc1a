#include "build/version_file_text.h"

#include "build/result_codes.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "platform/whole_file.h"

#include <QByteArray>
#include <QFileInfo>

namespace {

// A version file is a few lines; anything larger is not one.
constexpr qint64 kMaxVersionFileSize = 16 * 1024 * 1024;

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// The line every reader of version files knows, then what went wrong.
void logFailure(const QString& tag, const char* action, const QString& path, unsigned code) {
  VLOG_ERROR(tag) << "Failed to open file: '" << path << "'";
  VLOG_ERROR(tag) << action << " '" << path << "': " << platform::fileErrorText(code) << ".";
}

}  // namespace

int readVersionFile(const QString& tag, const QString& path, VersionFileText& out) {
  out = VersionFileText();
  QByteArray bytes;
  const unsigned code = platform::readRegularFile(fileSystemPath(path), kMaxVersionFileSize, bytes);
  if (code != 0) {
    logFailure(tag, "Cannot read", path, code);
    return build_codes::kCannotOpenFile;
  }
  out.byteOrderMark = bytes.startsWith(kByteOrderMark);
  if (out.byteOrderMark) bytes.remove(0, 3);
  out.text = QString::fromUtf8(bytes);
  if (out.text.toUtf8() != bytes) {
    out.utf8 = false;
    out.text = QString::fromLatin1(bytes);
  }
  return build_codes::kOk;
}

int writeVersionFile(const QString& tag, const QString& path, const VersionFileText& content) {
  QByteArray bytes = content.byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
  bytes += content.utf8 ? content.text.toUtf8() : content.text.toLatin1();
  const unsigned code = platform::replaceFile(fileSystemPath(path), bytes);
  if (code != 0) {
    logFailure(tag, "Cannot replace", path, code);
    return build_codes::kCannotOpenFile;
  }
  return build_codes::kOk;
}

QString lineEndOf(const QString& text) {
  const int lf = text.indexOf(QLatin1Char('\n'));
  return lf > 0 && text.at(lf - 1) == QLatin1Char('\r') ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

bool isNetVersionFile(const QString& path) {
  return QFileInfo(fileSystemPath(path)).suffix().contains(QLatin1String("cs"), Qt::CaseInsensitive);
}
