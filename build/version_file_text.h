#pragma once

#include <QString>

// The text of a version file as the parsers see it, and what a rewrite keeps of the
// stored form: the UTF-8 byte-order mark, and bytes that are not UTF-8 (such a file is
// read one byte to a character, so writing it back changes only what was replaced).
struct VersionFileText {
  QString text;
  bool byteOrderMark = false;
  bool utf8 = true;
};

// 0, or 20 when the file cannot be read (not there, not a regular file, too large);
// the failure is logged under tag.
[[nodiscard]] int readVersionFile(const QString& tag, const QString& path, VersionFileText& out);

// Replaces the file whole (platform::replaceFile), so a failed write leaves the old file
// as it was, or logs that its old text could not be put back. 0, or 20 logged under tag.
[[nodiscard]] int writeVersionFile(const QString& tag, const QString& path, const VersionFileText& content);

// "\r\n" when the text's first line ends so, else "\n".
QString lineEndOf(const QString& text);

// A suffix containing "cs" in any letter case names a .NET file; any other a header.
bool isNetVersionFile(const QString& path);
