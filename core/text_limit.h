#pragma once

#include <QtGlobal>

#include <cstdint>

// The longest text, in QString units, that expansion, a stored value or a function
// result may reach: ample for a build job, while a text that doubles or multiplies
// itself fails long before memory runs out.
constexpr int kMaxTextLength = 16 * 1024 * 1024;

inline bool fitsTextLimit(qint64 length) { return length <= kMaxTextLength; }

// The most that one store of variables may hold, names and values together, in QString
// units: two values of the longest text. No real job comes near it, and a file that
// defines value after value of that length is refused before memory runs out.
constexpr qint64 kMaxVariablesTotal = 2 * qint64(kMaxTextLength);

// An expander answers only "changed or not", so every text refused for its length is
// counted here, per thread, where it is refused (and logged). Code that must fail with
// core_codes::kTextTooLong watches the count across the work it asked for.
std::uint64_t textLimitHits();
void countTextLimitHit();

// Whether a text was refused since the watch began.
class TextLimitWatch {
 public:
  TextLimitWatch() : start_(textLimitHits()) {}
  bool hit() const { return textLimitHits() != start_; }

 protected:
  std::uint64_t start_;
};

// A watch that also hides its refusals from the watches around it once it ends: the
// task runner gives each task one, so that a task answers for its own texts and a
// container does not fail again for a child's.
class TextLimitScope : public TextLimitWatch {
 public:
  TextLimitScope() = default;
  ~TextLimitScope();
  TextLimitScope(const TextLimitScope&) = delete;
  TextLimitScope& operator=(const TextLimitScope&) = delete;
};
