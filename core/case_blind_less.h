#pragma once

#include <QString>

// The order of QString::compare ignoring case, with a fast path for ASCII: the one
// comparator of every table whose names compare without regard to case.
struct CaseBlindLess {
  bool operator()(const QString& a, const QString& b) const;
};
