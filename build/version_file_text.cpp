#include "build/version_file_text.h"

#include "build/result_codes.h"
#include "core/file_utils.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_limit.h"
#include "platform/whole_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// The line every writer of version files knows, then why the file could not be replaced.
void logReplaceFailure(const QString& tag, const QString& path, unsigned code, platform::WriteStep failedAt) {
  VLOG_ERROR(tag) << openFailureText(path, ReadOpenResult::CannotOpen);
  VLOG_ERROR(tag) << "Cannot replace '" << path << "': " << platform::fileErrorText(code, failedAt) << ".";
}

}  // namespace

int readVersionFile(const QString& tag, const QString& path, VersionFileText& out) {
  out = VersionFileText();
  QFile file;
  const ReadOpenResult opened = openRegularFile(file, path, QIODevice::ReadOnly);
  if (opened != ReadOpenResult::Opened) {
    VLOG_ERROR(tag) << openFailureText(path, opened);
    return build_codes::kCannotOpenFile;
  }
  // Read to the end, never by size: files of the kernel report none.
  QByteArray bytes;
  char buffer[16384];
  for (;;) {
    const qint64 n = file.read(buffer, sizeof(buffer));
    if (n == 0) break;
    if (n < 0 || !fitsTextLimit(bytes.size() + n)) {
      VLOG_ERROR(tag) << openFailureText(path, ReadOpenResult::CannotOpen);
      if (n > 0) VLOG_ERROR(tag) << "'" << path << "' is larger than " << kMaxTextLength << " bytes.";
      return build_codes::kCannotOpenFile;
    }
    bytes.append(buffer, static_cast<int>(n));
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
  platform::WriteStep failedAt = platform::WriteStep::Open;
  const unsigned code = platform::replaceFile(fileSystemPath(path), bytes, failedAt);
  if (code != 0) {
    logReplaceFailure(tag, path, code, failedAt);
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
