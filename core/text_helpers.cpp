#include "core/text_helpers.h"

#include "core/run_variables.h"

#include "core/variables.h"
#include "core/wildcard_pattern.h"
#include "platform/sound.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace {

struct CodeName {
  int code;
  const char* name;
};

const CodeName kOsNames[] = {{100, "windows"}, {200, "macos"}, {300, "linux"}};
const CodeName kDistributionNames[] = {{1, "product"}, {100, "internal"}};
const CodeName kProjectTypeNames[] = {{1, "build"}, {2, "files"}};
const CodeName kBuildToolNames[] = {{1, "msbuild"}, {100, "cmd"},    {200, "qmake"}, {300, "make"},
                                    {400, "cmake"}, {500, "xcode"}, {600, "java"}};

template <std::size_t N>
QString nameOf(const CodeName (&table)[N], int code) {
  for (const CodeName& entry : table)
    if (entry.code == code) return QLatin1String(entry.name);
  return QStringLiteral("unknown");
}

template <std::size_t N>
int codeOf(const CodeName (&table)[N], const QString& text) {
  const QString word = text.trimmed();
  if (word.isEmpty()) return 0;
  for (const CodeName& entry : table)
    if (word.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) return entry.code;
  return 0;
}

bool isOneOf(const QString& text, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
  return false;
}

// Works on a range and cuts once, so a long run of quotes costs linear time.
bool unquote(QString& text, bool trim, QChar quote) {
  if (text.isEmpty()) return false;
  int begin = 0;
  int end = text.size();
  const auto trimRange = [&] {
    while (begin < end && text.at(begin).isSpace()) ++begin;
    while (end > begin && text.at(end - 1).isSpace()) --end;
  };
  if (trim) trimRange();
  bool changed = false;
  while (end - begin >= 2 && text.at(begin) == quote && text.at(end - 1) == quote) {
    ++begin;
    --end;
    if (trim) trimRange();
    changed = true;
  }
  if (begin != 0 || end != text.size()) text = text.mid(begin, end - begin);
  return changed;
}

bool wildcardMatches(const QString& name, const QString& pattern) { return WildcardPattern(pattern).matches(name); }

void playProgramSound(const QString& fileName) {
  const QString dir = QCoreApplication::applicationDirPath();
  if (dir.isEmpty()) return;
  const QString path = dir.endsWith(QLatin1Char('/')) ? dir + fileName : dir + QLatin1Char('/') + fileName;
  if (QFileInfo(path).isFile()) platform::playWavFile(path);
}

}  // namespace

QString trueString() { return QStringLiteral("true"); }

QString falseString() { return QStringLiteral("false"); }

QString boolText(bool value) { return value ? trueString() : falseString(); }

bool isTrue(const QString& text) { return isOneOf(text, {"true", "ok", "yes", "1"}); }

bool isFalse(const QString& text) { return isOneOf(text, {"false", "no", "0"}); }

bool isInterruptTasksOnError(IVariablesGetter* getter) {
  if (!getter) return true;
  QString value;
  if (getter->get(run_variables::kInterruptTasksOnError, value) != 0) return true;
  return !isFalse(value);
}

bool isInterruptTasks(IVariablesGetter* getter) {
  if (!getter) return true;
  QString value;
  if (getter->get(run_variables::kInterruptTasks, value) != 0) return true;
  return isTrue(value);
}

QString indentUnit() { return QStringLiteral("    "); }

QString indent(unsigned n) { return indentUnit().repeated(static_cast<int>(n)); }

bool isOption(const char* arg) { return arg && arg[0] == '-'; }

bool isOptionNamed(const char* arg, const char* name) {
  return arg && name && arg[0] == '-' && std::strcmp(arg + 1, name) == 0;
}

bool unquoteDoubleQuotes(QString& text, bool trim) { return unquote(text, trim, QLatin1Char('"')); }

bool unquoteSingleQuotes(QString& text, bool trim) { return unquote(text, trim, QLatin1Char('\'')); }

void stripQuotes(QString& text, bool trim) {
  for (;;) {
    const bool doubleRemoved = unquoteDoubleQuotes(text, trim);
    const bool singleRemoved = unquoteSingleQuotes(text, trim);
    if (!doubleRemoved && !singleRemoved) return;
  }
}

bool matchesExclude(const QString& name, const QString& pattern) {
  if (name.isEmpty()) return true;
  if (pattern.isEmpty()) return false;
  return wildcardMatches(name, pattern);
}

bool matchesAnyExclude(const QString& name, const QStringList& patterns) {
  if (name.isEmpty()) return true;
  for (const QString& pattern : patterns)
    if (matchesExclude(name, pattern)) return true;
  return false;
}

bool matchesInclude(const QString& name, const FileSetInclude& include) {
  if (name.isEmpty()) return false;
  if (include.name.isEmpty()) return true;
  return wildcardMatches(name, include.name);
}

bool matchesAnyInclude(const QString& name, const std::vector<FileSetInclude>& includes) {
  if (name.isEmpty()) return false;
  if (includes.empty()) return true;
  for (const FileSetInclude& include : includes)
    if (matchesInclude(name, include)) return true;
  return false;
}

QString macroPropertyName(const QString& name) { return QStringLiteral("macrodef.") + name; }

QString osName(int code) { return nameOf(kOsNames, code); }

QString distributionName(int code) { return nameOf(kDistributionNames, code); }

QString projectTypeName(int code) { return nameOf(kProjectTypeNames, code); }

QString buildToolName(int code) { return nameOf(kBuildToolNames, code); }

int parseDistribution(const QString& text) { return codeOf(kDistributionNames, text); }

int parseProjectType(const QString& text) { return codeOf(kProjectTypeNames, text); }

int parseBuildTool(const QString& text) { return codeOf(kBuildToolNames, text); }

void playSuccessSound() { playProgramSound(QStringLiteral("success.wav")); }

void playErrorSound() { playProgramSound(QStringLiteral("error.wav")); }
