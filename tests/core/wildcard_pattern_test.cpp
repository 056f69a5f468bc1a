#include "core/file_set_filter.h"
#include "core/wildcard_pattern.h"
#include "test_support.h"

#include <QRegExp>

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(WildcardPatternTest, MatchesTheWholePathIgnoringCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {"*.dll", "/src/bin/App.DLL", true},
      {"a.dll", "/src/bin/a.dll", false},  // a bare name never matches a whole path
      {"*/debug/*", "/src/Debug/a.dll", true},
      {"*/debug/*", "/src/debugger/a.dll", false},
      {"*/debug/*", "/src/debug", false},
      {"/src/*.h", "/src/sub/a.h", true},  // "*" runs over separators
      {"lib.s?", "lib.so", true},
      {"lib.s?", "lib.s", false},
      {"[ab].txt", "B.txt", true},
      {"[^ab].txt", "c.txt", true},
      {"[^ab].txt", "A.txt", false},
      {"[A-C]x", "bX", true},
      {"[]]", "]", true},
      {"a[b", "a[b", false},  // an unclosed set matches nothing
      {"*\\debug\\*", "/src/debug/a.dll", true},  // either separator in a pattern
      {"*/debug/*", "C:\\src\\debug\\a.dll", true},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"**a**", "xxaxx", true},
      {"*a*b*c", "aXbYc", true},
      {"*a*b*c", "aXbYcd", false},
      {"ÄÖ*", "äö.txt", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.matches, WildcardPattern(QString::fromUtf8(c.pattern)).matches(QString::fromUtf8(c.text)))
        << c.pattern << " on " << c.text;
  }
}

// The same answers as Qt's wildcard regular expressions on patterns without separators
// (where ours is deliberately wider) and without a "]" first in a set (where Qt's
// translation is faulty).
TEST(WildcardPatternTest, AgreesWithQtWildcards) {
  std::mt19937 random(20240611);
  const char patternChars[] = "aB.*?x-";
  const char textChars[] = "abAB.x-c";
  auto pick = [&](const char* from, std::size_t n) { return QChar(QLatin1Char(from[random() % n])); };
  for (int round = 0; round < 5000; ++round) {
    QString pattern;
    const int length = int(random() % 8);
    for (int i = 0; i < length; ++i) {
      if (random() % 6 == 0) {
        pattern += QLatin1Char('[');
        if (random() % 3 == 0) pattern += QLatin1Char('^');
        const QChar first = pick("abAx", 4);
        pattern += first;
        if (first != QLatin1Char('x') && random() % 2 == 0) pattern += QStringLiteral("-c");
        pattern += QLatin1Char(']');
      } else {
        pattern += pick(patternChars, sizeof(patternChars) - 1);
      }
    }
    QString text;
    const int textLength = int(random() % 10);
    for (int i = 0; i < textLength; ++i) text += pick(textChars, sizeof(textChars) - 1);
    const bool expected = QRegExp(pattern, Qt::CaseInsensitive, QRegExp::Wildcard).exactMatch(text);
    ASSERT_EQ(expected, WildcardPattern(pattern).matches(text)) << pattern.toStdString() << " on "
                                                                 << text.toStdString();
  }
}

TEST(FileSetFilterTest, AnswersAsTheOneNameTests) {
  const FileSetFilter none({}, {});
  EXPECT_TRUE(none.isIncluded("/a/b"));
  EXPECT_FALSE(none.isExcluded("/a/b"));
  EXPECT_FALSE(none.isIncluded(""));
  EXPECT_TRUE(none.isExcluded(""));

  const FileSetFilter some({{"*.dll", {}, {}}, {"*.EXE", {}, {}}}, {"", "*/debug/*"});
  EXPECT_TRUE(some.isIncluded("/a/x.exe"));
  EXPECT_FALSE(some.isIncluded("/a/x.pdb"));
  EXPECT_TRUE(some.isExcluded("/a/debug/x.dll"));
  EXPECT_FALSE(some.isExcluded("/a/release/x.dll"));  // the empty pattern excludes nothing

  // An include without a name takes every file.
  const FileSetFilter unnamed({{"*.dll", {}, {}}, {"", {}, {}}}, {});
  EXPECT_TRUE(unnamed.isIncluded("/a/x.pdb"));
}

}  // namespace
