#include "build/source_comment_skipper.h"

bool SourceCommentSkipper::skip(int index) {
  if (index < skipBefore_) return true;
  const QChar c = text_.at(index);
  const QChar next = index + 1 < text_.size() ? text_.at(index + 1) : QChar();
  switch (state_) {
    case State::LineComment:
      if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) return true;
      state_ = State::Code;
      return false;
    case State::BlockComment:
      if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
        state_ = State::Code;
        skipBefore_ = index + 2;
      }
      return true;
    case State::Code:
      break;
  }
  if (c != QLatin1Char('/') || (next != QLatin1Char('/') && next != QLatin1Char('*'))) return false;
  state_ = next == QLatin1Char('/') ? State::LineComment : State::BlockComment;
  skipBefore_ = index + 2;
  return true;
}
