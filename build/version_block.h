#pragma once

#include <QString>

#include <cstdint>

// One bracketed attribute block of a .NET file: the value found and where the block
// stands, from its "[" to its "]".
struct VersionBlock {
  QString value;
  std::int32_t start = -1;
  std::int32_t end = -1;

  bool isSet() const { return start >= 0 && end >= 0 && end - start >= 1; }
};
