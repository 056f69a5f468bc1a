#include "core/wildcard_pattern.h"

namespace {

inline ushort folded(QChar c) {
  const ushort u = c.unicode();
  if (u < 0x80) return (u >= 'A' && u <= 'Z') ? ushort(u + ('a' - 'A')) : u;
  return c.toCaseFolded().unicode();
}

inline bool isSeparator(ushort u) { return u == '/' || u == '\\'; }

}  // namespace

WildcardPattern::WildcardPattern(const QString& pattern) {
  const int n = pattern.size();
  tokens_.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const ushort u = pattern.at(i).unicode();
    if (u == '*') {
      // A run of stars is one star.
      if (tokens_.empty() || tokens_.back().kind != Kind::AnyRun) tokens_.push_back({Kind::AnyRun, 0});
    } else if (u == '?') {
      tokens_.push_back({Kind::AnyOne, 0});
    } else if (isSeparator(u)) {
      tokens_.push_back({Kind::Separator, 0});
    } else if (u == '[') {
      CharSet set;
      int j = i + 1;
      if (j < n && pattern.at(j) == QLatin1Char('^')) {
        set.negated = true;
        ++j;
      }
      // A "]" first in the set is a member.
      bool first = true;
      while (j < n && (first || pattern.at(j) != QLatin1Char(']'))) {
        first = false;
        const ushort from = pattern.at(j).unicode();
        if (j + 2 < n && pattern.at(j + 1) == QLatin1Char('-') && pattern.at(j + 2) != QLatin1Char(']')) {
          const ushort to = pattern.at(j + 2).unicode();
          if (from <= to) set.ranges.push_back({from, to});
          j += 3;
        } else {
          set.ranges.push_back({from, from});
          ++j;
        }
      }
      if (j >= n) {
        valid_ = false;
        tokens_.clear();
        sets_.clear();
        return;
      }
      tokens_.push_back({Kind::Set, static_cast<unsigned>(sets_.size())});
      sets_.push_back(std::move(set));
      i = j;
    } else {
      tokens_.push_back({Kind::Char, folded(pattern.at(i))});
    }
  }
}

bool WildcardPattern::inSet(const CharSet& set, QChar c) const {
  const ushort variants[] = {c.unicode(), c.toLower().unicode(), c.toUpper().unicode()};
  bool found = false;
  for (const Range& r : set.ranges) {
    for (ushort v : variants) {
      if (v >= r.first && v <= r.last) {
        found = true;
        break;
      }
    }
    if (found) break;
  }
  return found != set.negated;
}

bool WildcardPattern::matchesToken(const Token& token, QChar c) const {
  switch (token.kind) {
    case Kind::Char: return folded(c) == token.value;
    case Kind::Separator: return isSeparator(c.unicode());
    case Kind::AnyOne: return true;
    case Kind::Set: return inSet(sets_[token.value], c);
    case Kind::AnyRun: break;
  }
  return false;
}

bool WildcardPattern::matches(const QString& text) const {
  if (!valid_) return false;
  const size_t count = tokens_.size();
  const int n = text.size();
  const QChar* s = text.constData();
  size_t p = 0;
  int t = 0;
  // The last star seen and the text position it has swallowed up to: on a mismatch
  // the star takes one more character. Linear for one star, n*m at worst.
  size_t star = count;
  int starText = 0;
  while (t < n) {
    if (p < count && tokens_[p].kind == Kind::AnyRun) {
      star = p++;
      starText = t;
    } else if (p < count && matchesToken(tokens_[p], s[t])) {
      ++p;
      ++t;
    } else if (star != count) {
      p = star + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < count && tokens_[p].kind == Kind::AnyRun) ++p;
  return p == count;
}
