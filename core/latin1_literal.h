#pragma once

#include <QLatin1String>

// A literal as QLatin1String with its length taken at compile time, so that it is a
// constant expression with every compiler (the one-argument constructor calls strlen).
template <int N>
constexpr QLatin1String latin1(const char (&text)[N]) {
  return QLatin1String(text, N - 1);
}
