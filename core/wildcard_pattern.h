#pragma once

#include <QString>

#include <vector>

// A wildcard pattern compiled once and matched against whole texts, ignoring letter
// case: "*" any run of characters (separators too), "?" one character, "[...]" one
// character of a set ("[^...]" one not in it, "a-z" a range). Every other character
// stands for itself, except that "/" and "\" each match either separator. A pattern
// with an unclosed "[" matches nothing.
class WildcardPattern {
 public:
  explicit WildcardPattern(const QString& pattern);

  bool matches(const QString& text) const;
  bool isValid() const { return valid_; }

 private:
  enum class Kind { Char, Separator, AnyOne, AnyRun, Set };
  struct Token {
    Kind kind;
    unsigned value;  // Char: the folded character; Set: the index of the set
  };
  struct Range {
    ushort first;
    ushort last;
  };
  struct CharSet {
    bool negated = false;
    std::vector<Range> ranges;
  };

  bool matchesToken(const Token& token, QChar c) const;
  bool inSet(const CharSet& set, QChar c) const;

  std::vector<Token> tokens_;
  std::vector<CharSet> sets_;
  bool valid_ = true;
};
