#pragma once

#include "core/file_set_info.h"

#include <QString>
#include <QStringList>

#include <vector>

class IVariablesGetter;

QString trueString();
QString falseString();
// trueString() or falseString().
QString boolText(bool value);
// "true", "ok", "yes", "1" and "false", "no", "0", in any letter case, not trimmed.
// A text that is neither fails both tests: the caller's choice of test is the default.
bool isTrue(const QString& text);
bool isFalse(const QString& text);

// Run-control tests: a null getter or a missing variable means "interrupt".
bool isInterruptTasksOnError(IVariablesGetter* getter);
bool isInterruptTasks(IVariablesGetter* getter);

QString indentUnit();
QString indent(unsigned n);

bool isOption(const char* arg);
// arg is exactly "-" followed by name, letter case included.
bool isOptionNamed(const char* arg, const char* name);

// Removes every pair of the quote that wraps the whole text (trimming first and
// after each pair when trim is set); true when a pair was removed.
bool unquoteDoubleQuotes(QString& text, bool trim);
bool unquoteSingleQuotes(QString& text, bool trim);
// Both of the above until neither changes the text, so that quotes of either kind
// in any nesting go.
void stripQuotes(QString& text, bool trim);

// Wildcard tests ("*", "?", "[...]") of the whole name, ignoring letter case; "/" and
// "\" in a pattern match either separator (WildcardPattern; FileSetFilter compiles a
// set's patterns once for a walk). An empty name counts as excluded and as not included.
bool matchesExclude(const QString& name, const QString& pattern);
bool matchesAnyExclude(const QString& name, const QStringList& patterns);
bool matchesInclude(const QString& name, const FileSetInclude& include);
bool matchesAnyInclude(const QString& name, const std::vector<FileSetInclude>& includes);

QString macroPropertyName(const QString& name);

// Enumeration codes as their lower-case words, "unknown" for any other code.
QString osName(int code);
QString distributionName(int code);
QString projectTypeName(int code);
QString buildToolName(int code);
// Trimmed and in any letter case; 0 for an unknown or empty text.
int parseDistribution(const QString& text);
int parseProjectType(const QString& text);
int parseBuildTool(const QString& text);

// "success.wav" and "error.wav" from the program's directory, played to their end;
// nothing when the file is not there.
void playSuccessSound();
void playErrorSound();
