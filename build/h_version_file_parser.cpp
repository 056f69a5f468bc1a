#include "build/h_version_file_parser.h"

#include "build/result_codes.h"
#include "build/source_comment_skipper.h"
#include "build/version_file_text.h"

namespace {

const QLatin1String kTag("HVersionFileParser");
const QLatin1String kDefine("#define");
const QLatin1String kIntVer("INTVER");
// The value starts behind the name and the one character after it.
constexpr int kValueOffset = 7;

}  // namespace

int HVersionFileParser::readVersion(const QString& path, QString& version) {
  version.clear();
  fileName_ = path;
  VersionFileText file;
  const int code = readVersionFile(kTag, path, file);
  if (code != build_codes::kOk) return code;
  parse(file.text, version);
  return build_codes::kOk;
}

int HVersionFileParser::writeVersion(const QString& path, const QString& version) {
  fileName_ = path;
  VersionFileText file;
  const int code = readVersionFile(kTag, path, file);
  if (code != build_codes::kOk) return code;
  if (!file.text.isEmpty()) {
    const QString end = lineEndOf(file.text);
    file.text = QLatin1String("#pragma once") + end + QLatin1String("#define INTVER ") + version + end +
                QLatin1String("#define STRVER \"") + version + QLatin1String("\\0\"") + end;
  }
  return writeVersionFile(kTag, path, file);
}

void HVersionFileParser::parse(const QString& text, QString& version) {
  version.clear();
  QString line;
  SourceCommentSkipper comments(text);
  for (int i = 0; i < text.size(); ++i) {
    if (comments.skip(i)) continue;
    const QChar c = text.at(i);
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      if (!line.isEmpty() && parseLine(line, version)) return;
      // The line end opens the next line.
      line = c;
      continue;
    }
    line += c;
  }
  if (!line.isEmpty()) parseLine(line, version);
}

bool HVersionFileParser::parseLine(const QString& line, QString& version) {
  const int define = line.indexOf(kDefine);
  if (define < 0) return false;
  const int name = line.indexOf(kIntVer, define + kDefine.size());
  if (name < 0) return false;
  int i = name + kValueOffset;
  while (i < line.size() && line.at(i).isSpace()) ++i;
  const int begin = i;
  while (i < line.size() && !line.at(i).isSpace()) ++i;
  version = line.mid(begin, i - begin);
  return !version.isEmpty();
}
