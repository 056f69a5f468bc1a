#pragma once

// A process exit status holds 8 bits: a result outside 0..255 keeps its low 8 bits,
// and one whose low 8 bits are 0 becomes 1, so that no failure exits as success.
inline int exitCodeOf(int result) {
  if (result >= 0 && result <= 255) return result;
  const int low = static_cast<int>(static_cast<unsigned>(result) & 0xffu);
  return low == 0 ? 1 : low;
}
