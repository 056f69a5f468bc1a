#include "core/case_blind_less.h"

#include <QStringView>

#include <cstdint>
#include <cstring>

bool CaseBlindLess::operator()(const QString& a, const QString& b) const {
  const ushort* pa = reinterpret_cast<const ushort*>(a.constData());
  const ushort* pb = reinterpret_cast<const ushort*>(b.constData());
  const int n = qMin(a.size(), b.size());
  int i = 0;
  // Names often share a long prefix ("project.module..."): skip the identical part by words.
  for (std::uint64_t wa, wb; i + 4 <= n; i += 4) {
    std::memcpy(&wa, pa + i, sizeof wa);
    std::memcpy(&wb, pb + i, sizeof wb);
    if (wa != wb) break;
  }
  for (; i < n; ++i) {
    ushort ca = pa[i];
    ushort cb = pb[i];
    if (ca == cb) continue;
    if ((ca | cb) >= 0x80) {
      // Case folding beyond ASCII is left to Qt from here on, from the whole surrogate pair.
      if (i > 0 && QChar::isHighSurrogate(pa[i - 1])) --i;
      return QStringView(a).mid(i).compare(QStringView(b).mid(i), Qt::CaseInsensitive) < 0;
    }
    if (unsigned(ca - 'A') < 26u) ca += 'a' - 'A';
    if (unsigned(cb - 'A') < 26u) cb += 'a' - 'A';
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}
