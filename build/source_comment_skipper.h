#pragma once

#include <QString>

// Tells which characters of C or C# source belong to a comment: "//" runs to the next
// CR or LF (which is not part of it), "/*" to the next "*/". Ask for the indexes of
// the text in increasing order.
class SourceCommentSkipper {
 public:
  explicit SourceCommentSkipper(const QString& text) : text_(text) {}

  // True when the character at index is part of a comment or of its markers.
  bool skip(int index);

 private:
  enum class State { Code, LineComment, BlockComment };

  const QString& text_;
  State state_ = State::Code;
  // The second character of a marker is skipped along with the first.
  int skipBefore_ = 0;
};
