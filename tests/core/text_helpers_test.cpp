#include "core/text_helpers.h"
#include "core/variables.h"

#include <QMap>


#include <gtest/gtest.h>

namespace {

// Just enough of a variable store for the run-control tests.
class FakeGetter : public IVariablesGetter {
 public:
  QMap<QString, QString> values;

  bool exists(const QString& name) override { return values.contains(name); }
  int count() override { return values.size(); }
  int getAt(int, QString&, QString&, VariableFlags&) override { return 60; }
  int getAt(int, QString&, QString&) override { return 60; }
  int getNameAt(int, QString&) override { return 60; }
  int get(const QString& name, QString& value, VariableFlags&) override { return get(name, value); }
  int get(const QString& name, QString& value) override {
    if (!values.contains(name)) return 60;
    value = values.value(name);
    return 0;
  }
  int getFlags(const QString&, VariableFlags&) override { return 60; }
};

TEST(TextHelpersTest, BooleanWords) {
  struct Case {
    const char* text;
    bool isTrue;
    bool isFalse;
  };
  const Case cases[] = {
      {"true", true, false}, {"OK", true, false},   {"Yes", true, false}, {"1", true, false},
      {"FALSE", false, true}, {"no", false, true},  {"0", false, true},   {"", false, false},
      {" yes", false, false}, {"no ", false, false}, {"2", false, false}, {"y", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.isTrue, isTrue(QString::fromLatin1(c.text))) << '"' << c.text << '"';
    EXPECT_EQ(c.isFalse, isFalse(QString::fromLatin1(c.text))) << '"' << c.text << '"';
  }
  EXPECT_EQ("true", trueString());
  EXPECT_EQ("false", falseString());
  EXPECT_EQ("true", boolText(true));
  EXPECT_EQ("false", boolText(false));
}

TEST(TextHelpersTest, RunControlTestsDefaultToInterrupt) {
  struct Case {
    const char* name;
    const char* value;  // null: the variable is missing
    bool interrupt;
    bool interruptOnError;
  };
  const Case cases[] = {
      {"missing", nullptr, true, true},
      {"true", "true", true, true},
      {"false", "false", false, false},
      {"empty", "", false, true},
      {"other word", "maybe", false, true},
  };
  EXPECT_TRUE(isInterruptTasks(nullptr));
  EXPECT_TRUE(isInterruptTasksOnError(nullptr));
  for (const Case& c : cases) {
    FakeGetter getter;
    if (c.value) {
      getter.values["interrupt.tasks"] = c.value;
      getter.values["interrupt.tasks.on.error"] = c.value;
    }
    EXPECT_EQ(c.interrupt, isInterruptTasks(&getter)) << c.name;
    EXPECT_EQ(c.interruptOnError, isInterruptTasksOnError(&getter)) << c.name;
  }
}

TEST(TextHelpersTest, IndentAndMacroPropertyName) {
  EXPECT_EQ("", indent(0));
  EXPECT_EQ("    ", indentUnit());
  EXPECT_EQ(QString(12, QLatin1Char(' ')), indent(3));
  EXPECT_EQ("macrodef.src", macroPropertyName("src"));
}

TEST(TextHelpersTest, Options) {
  EXPECT_TRUE(isOption("-"));
  EXPECT_TRUE(isOption("-job"));
  EXPECT_FALSE(isOption("job"));
  EXPECT_FALSE(isOption(""));
  EXPECT_FALSE(isOption(nullptr));

  EXPECT_TRUE(isOptionNamed("-build", "build"));
  EXPECT_FALSE(isOptionNamed("-Build", "build"));
  EXPECT_FALSE(isOptionNamed("--build", "build"));
  EXPECT_FALSE(isOptionNamed("-builds", "build"));
  EXPECT_FALSE(isOptionNamed("build", "build"));
  EXPECT_FALSE(isOptionNamed(nullptr, "build"));
  EXPECT_FALSE(isOptionNamed("-build", nullptr));
}

TEST(TextHelpersTest, Unquote) {
  struct Case {
    const char* text;
    bool trim;
    bool doubleQuotes;
    const char* result;
    bool changed;
  };
  const Case cases[] = {
      {"\"a\"", false, true, "a", true},
      {"\"\"a\"\"", false, true, "a", true},
      {"\"\"", false, true, "", true},
      {"  \" \"a\" \"  ", true, true, "a", true},
      {"  \"a\"  ", false, true, "  \"a\"  ", false},
      {"\"a", false, true, "\"a", false},
      {"a\"", false, true, "a\"", false},
      {"\"", false, true, "\"", false},
      {"  x  ", true, true, "x", false},  // the trim stays even without a pair
      {"", true, true, "", false},
      {"'a'", true, false, "a", true},
      {"'a", true, false, "'a", false},
      {"\"a\"", true, false, "\"a\"", false},
      {"'\"a\"'", false, false, "\"a\"", true},
  };
  for (const Case& c : cases) {
    QString text = QString::fromLatin1(c.text);
    const bool changed = c.doubleQuotes ? unquoteDoubleQuotes(text, c.trim) : unquoteSingleQuotes(text, c.trim);
    EXPECT_EQ(QString::fromLatin1(c.result), text) << c.text;
    EXPECT_EQ(c.changed, changed) << c.text;
  }
}

TEST(TextHelpersTest, StripQuotesTakesBothKindsInAnyNesting) {
  struct Case {
    const char* text;
    bool trim;
    const char* result;
  };
  const Case cases[] = {
      {"\"'\"a\"'\"", false, "a"},
      {" ' \" a \" ' ", true, "a"},
      {" ' \" a \" ' ", false, " ' \" a \" ' "},
      {"'\"a'\"", false, "'\"a'\""},
      {"\"''\"", false, ""},
  };
  for (const Case& c : cases) {
    QString text = QString::fromLatin1(c.text);
    stripQuotes(text, c.trim);
    EXPECT_EQ(QString::fromLatin1(c.result), text) << c.text;
  }
}

TEST(TextHelpersTest, UnquoteOfAVeryLongRunOfQuotesIsLinear) {
  // Removing pair by pair from the text would take minutes here and meet the test's timeout.
  QString text = QString(1000000, '"') + "a" + QString(1000000, '"');
  EXPECT_TRUE(unquoteDoubleQuotes(text, true));
  EXPECT_EQ("a", text);
}

TEST(TextHelpersTest, WildcardsMatchWholeNameIgnoringCase) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"app.DLL", "*.dll", true},   {"app.dll.bak", "*.dll", false}, {"lib.so", "lib.s?", true},
      {"lib.s", "lib.s?", false},   {"b.txt", "[ab].txt", true},     {"c.txt", "[ab].txt", false},
      {"dir/a.h", "*.h", true},     {"a.h", "a.h", true},            {"xa.h", "a.h", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.matches, matchesExclude(c.name, c.pattern)) << c.name << " " << c.pattern;
    EXPECT_EQ(c.matches, matchesInclude(c.name, FileSetInclude{c.pattern, {}, {}})) << c.name << " " << c.pattern;
  }
}

TEST(TextHelpersTest, EmptyNamesAndPatterns) {
  EXPECT_TRUE(matchesExclude("", "*"));
  EXPECT_FALSE(matchesExclude("a", ""));
  EXPECT_TRUE(matchesAnyExclude("", {}));
  EXPECT_FALSE(matchesAnyExclude("a", {}));
  EXPECT_TRUE(matchesAnyExclude("a.tmp", {"*.bak", "*.TMP"}));
  EXPECT_FALSE(matchesAnyExclude("a.txt", {"*.bak", "*.tmp"}));

  EXPECT_FALSE(matchesInclude("", FileSetInclude{}));
  EXPECT_TRUE(matchesInclude("a", FileSetInclude{}));
  EXPECT_FALSE(matchesAnyInclude("", {}));
  EXPECT_TRUE(matchesAnyInclude("a", {}));
  const std::vector<FileSetInclude> includes{{"*.h", {}, {}}, {"*.cpp", {}, {}}};
  EXPECT_TRUE(matchesAnyInclude("main.CPP", includes));
  EXPECT_FALSE(matchesAnyInclude("main.o", includes));
}

TEST(TextHelpersTest, EnumerationTexts) {
  EXPECT_EQ("windows", osName(100));
  EXPECT_EQ("macos", osName(200));
  EXPECT_EQ("linux", osName(300));
  EXPECT_EQ("unknown", osName(0));
  EXPECT_EQ("product", distributionName(1));
  EXPECT_EQ("internal", distributionName(100));
  EXPECT_EQ("unknown", distributionName(0));
  EXPECT_EQ("build", projectTypeName(1));
  EXPECT_EQ("files", projectTypeName(2));
  EXPECT_EQ("unknown", projectTypeName(3));
  EXPECT_EQ("unknown", buildToolName(2));

  const int tools[] = {1, 100, 200, 300, 400, 500, 600};
  for (int code : tools) EXPECT_EQ(code, parseBuildTool(buildToolName(code).toUpper())) << code;
  EXPECT_EQ(200, parseBuildTool(" QMake "));
  EXPECT_EQ(0, parseBuildTool("q make"));
  EXPECT_EQ(0, parseBuildTool("unknown"));
  EXPECT_EQ(0, parseBuildTool("  "));
  EXPECT_EQ(100, parseDistribution("Internal"));
  EXPECT_EQ(1, parseDistribution("product\t"));
  EXPECT_EQ(0, parseDistribution(""));
  EXPECT_EQ(2, parseProjectType(" FILES"));
  EXPECT_EQ(0, parseProjectType("lib"));
}

}  // namespace
