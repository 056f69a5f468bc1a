#include "build/net_version_file_parser.h"

#include "build/result_codes.h"
#include "build/source_comment_skipper.h"
#include "build/version_file_text.h"

namespace {

const QLatin1String kTag("NetVersionFileParser");
const QLatin1String kAssemblyVersion("AssemblyVersion");
const QLatin1String kAssemblyFileVersion("AssemblyFileVersion");

// The value between the block's first "(" and the first ")" after it, trimmed and
// without one pair of double quotes.
QString blockValue(const QString& block) {
  const int open = block.indexOf(QLatin1Char('('));
  const int close = open < 0 ? -1 : block.indexOf(QLatin1Char(')'), open + 1);
  if (close < 0) return QString();
  QString value = block.mid(open + 1, close - open - 1).trimmed();
  if (value.startsWith(QLatin1Char('"'))) value.remove(0, 1);
  if (value.endsWith(QLatin1Char('"'))) value.chop(1);
  return value.trimmed();
}

void takeBlock(const QString& block, int end, QLatin1String name, VersionBlock& target) {
  if (target.isSet() || !block.contains(name)) return;
  target.value = blockValue(block);
  target.end = end;
}

void replaceBlock(QString& text, const VersionBlock& block, QLatin1String name, const QString& version) {
  text.replace(block.start, block.end - block.start + 1,
               QLatin1String("[assembly: ") + name + QLatin1String("(\"") + version + QLatin1String("\")]"));
}

}  // namespace

int NetVersionFileParser::readVersion(const QString& path, QString& assemblyVersion, QString& fileVersion) {
  assemblyVersion.clear();
  fileVersion.clear();
  fileName_ = path;
  VersionFileText file;
  const int code = readVersionFile(kTag, path, file);
  if (code != build_codes::kOk) return code;
  VersionBlock assemblyBlock;
  VersionBlock fileBlock;
  (void)parse(file.text, assemblyBlock, fileBlock);  // always 0
  assemblyVersion = assemblyBlock.value;
  fileVersion = fileBlock.value;
  return build_codes::kOk;
}

int NetVersionFileParser::writeVersion(const QString& path, const QString& version) {
  fileName_ = path;
  VersionFileText file;
  const int code = readVersionFile(kTag, path, file);
  if (code != build_codes::kOk) return code;
  if (!file.text.isEmpty()) {
    VersionBlock assemblyBlock;
    VersionBlock fileBlock;
    (void)parse(file.text, assemblyBlock, fileBlock);  // always 0
    if (assemblyBlock.isSet()) replaceBlock(file.text, assemblyBlock, kAssemblyVersion, version);
    // The first replacement moved what follows it: find the file block anew.
    assemblyBlock = VersionBlock();
    fileBlock = VersionBlock();
    (void)parse(file.text, assemblyBlock, fileBlock);  // always 0
    if (fileBlock.isSet()) replaceBlock(file.text, fileBlock, kAssemblyFileVersion, version);
  }
  return writeVersionFile(kTag, path, file);
}

int NetVersionFileParser::parse(const QString& text, VersionBlock& assemblyBlock, VersionBlock& fileBlock) {
  SourceCommentSkipper comments(text);
  QString block;
  bool inBlock = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (inBlock) {
      // A block is taken whole, comment markers and all, up to its "]".
      block += c;
      if (c != QLatin1Char(']')) continue;
      inBlock = false;
      takeBlock(block, i, kAssemblyVersion, assemblyBlock);
      takeBlock(block, i, kAssemblyFileVersion, fileBlock);
      continue;
    }
    if (comments.skip(i) || c != QLatin1Char('[')) continue;
    inBlock = true;
    block = c;
    if (!assemblyBlock.isSet()) assemblyBlock.start = i;
    if (!fileBlock.isSet()) fileBlock.start = i;
  }
  return build_codes::kOk;
}
