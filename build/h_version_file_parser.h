#pragma once

#include <QString>

// The version of a generated C header: the value of its "#define INTVER" line.
class HVersionFileParser {
 public:
  // 0 also when the file holds no version (then empty); 20 when it cannot be read.
  [[nodiscard]] int readVersion(const QString& path, QString& version);
  // Replaces the whole content by "#pragma once" and the INTVER and STRVER lines of
  // version; an empty file stays empty. 0, or 20 when it cannot be read or replaced.
  [[nodiscard]] int writeVersion(const QString& path, const QString& version);

  // The first INTVER value outside comments; empty when there is none.
  static void parse(const QString& text, QString& version);
  // The value of one line; true when the line yields one.
  static bool parseLine(const QString& line, QString& version);

  QString fileName() const { return fileName_; }

 private:
  QString fileName_;
};
