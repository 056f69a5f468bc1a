#include "platform/file_name_codec.h"

#include <QStringView>
#include <QTextCodec>

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr int kUtf8Mib = 106;

// A byte b outside UTF-8 stands as the character kByteBase + b (b is 0x80 to 0xFF).
constexpr ushort kByteBase = 0xDC00;

bool isHighSurrogate(ushort u) { return (u & 0xFC00) == 0xD800; }
bool isLowSurrogate(ushort u) { return (u & 0xFC00) == 0xDC00; }
bool isByteCharacter(ushort u) { return (u & 0xFF80) == 0xDC80; }

// The length (1 to 4) of the well-formed UTF-8 sequence at p, 0 when the n bytes there
// only begin one, -1 when they begin none: no overlong forms, no surrogates, nothing
// past U+10FFFF.
int sequenceAt(const uchar* p, int n) {
  const uchar lead = p[0];
  if (lead < 0x80) return 1;
  int length = 0;
  uchar low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (i >= n) return 0;
    if (p[i] < (i == 1 ? low : 0x80) || p[i] > (i == 1 ? high : 0xBF)) return -1;
  }
  return length;
}

bool isUtf8(const uchar* p, int n) {
  int i = 0;
  while (i < n) {
    // Names are mostly ASCII: eight bytes at a time.
    if (n - i >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, p + i, 8);
      if ((eight & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    const int length = sequenceAt(p + i, n - i);
    if (length <= 0) return false;
    i += length;
  }
  return true;
}

bool startsWithByteOrderMark(const uchar* p, int n) { return n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF; }

// Decodes the bytes into out; with more to come, an unfinished sequence at the end is
// left for later. The count of bytes taken.
int decode(const uchar* p, int n, bool more, QString& out) {
  int i = 0;
  while (i < n) {
    const int length = sequenceAt(p + i, n - i);
    if (length == 0 && more) break;
    if (length <= 0) {
      out += QChar(static_cast<ushort>(kByteBase + p[i]));
      ++i;
      continue;
    }
    static const uchar kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint code = p[i] & kLeadBits[length];
    for (int k = 1; k < length; ++k) code = (code << 6) | (p[i + k] & 0x3F);
    if (QChar::requiresSurrogates(code)) {
      out += QChar(QChar::highSurrogate(code));
      out += QChar(QChar::lowSurrogate(code));
    } else {
      out += QChar(static_cast<ushort>(code));
    }
    i += length;
  }
  return i;
}

void appendUtf8(QByteArray& out, uint code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Whether any unit u of the n has (u & mask) == value. Each log line and each path
// asks this of its whole text: the fixed blocks of eight are what the compiler turns
// into vector instructions.
bool hasUnit(const ushort* u, int n, ushort mask, ushort value) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    unsigned hit = 0;
    for (int k = 0; k < 8; ++k) hit |= (u[i + k] & mask) == value;
    if (hit) return true;
  }
  for (; i < n; ++i)
    if ((u[i] & mask) == value) return true;
  return false;
}

// Without a surrogate in the text, Qt's own UTF-8 is the answer.
bool hasSurrogate(const ushort* u, int n) { return hasUnit(u, n, 0xF800, 0xD800); }

// A surrogate that pairs with none is written as "?", as Qt's UTF-8 writes it.
class ByteKeepingUtf8Codec : public QTextCodec {
 public:
  QByteArray name() const override { return QByteArrayLiteral("x-utf-8-bytes"); }
  // Not UTF-8's number: Qt takes that for its own UTF-8 rules.
  int mibEnum() const override { return -kUtf8Mib; }

 protected:
  QString convertToUnicode(const char* in, int length, ConverterState* state) const override {
    const uchar* p = reinterpret_cast<const uchar*>(in);
    if (!state) {
      // Qt's UTF-8 drops a byte-order mark at the start; a name keeps it.
      if (isUtf8(p, length) && !startsWithByteOrderMark(p, length)) return QString::fromUtf8(in, length);
      QString out;
      out.reserve(length);
      decode(p, length, false, out);
      return out;
    }
    // A stream: the unfinished end of one piece (at most three bytes) waits in the state.
    QByteArray joined;
    if (state->remainingChars > 0) {
      for (int k = 0; k < state->remainingChars; ++k) joined += static_cast<char>(state->state_data[0] >> (8 * k));
      joined.append(in, length);
      p = reinterpret_cast<const uchar*>(joined.constData());
      length = joined.size();
    }
    QString out;
    out.reserve(length);
    const int used = decode(p, length, true, out);
    if (!(state->flags & IgnoreHeader) && !out.isEmpty()) {
      if (out.at(0) == QChar(QChar::ByteOrderMark)) out.remove(0, 1);
      state->flags |= IgnoreHeader;
    }
    state->remainingChars = length - used;
    state->state_data[0] = 0;
    for (int k = 0; k < length - used; ++k) state->state_data[0] |= uint(p[used + k]) << (8 * k);
    return out;
  }

  QByteArray convertFromUnicode(const QChar* in, int length, ConverterState* state) const override {
    const ushort* u = reinterpret_cast<const ushort*>(in);
    if (!state && !hasSurrogate(u, length)) return QStringView(in, length).toUtf8();
    QByteArray out;
    out.reserve(length * 3 + 3);
    ushort high = 0;
    if (state) {
      if (!(state->flags & IgnoreHeader)) out += "\xEF\xBB\xBF";
      state->flags |= IgnoreHeader;
      if (state->remainingChars > 0) high = static_cast<ushort>(state->state_data[0]);
    }
    int invalid = 0;
    for (int i = 0; i < length; ++i) {
      const ushort c = u[i];
      if (high != 0) {
        if (isLowSurrogate(c)) {
          appendUtf8(out, QChar::surrogateToUcs4(high, c));
          high = 0;
          continue;
        }
        out += '?';
        ++invalid;
        high = 0;
      }
      if (isHighSurrogate(c)) {
        high = c;
      } else if (isByteCharacter(c)) {
        out += static_cast<char>(c - kByteBase);
      } else if (isLowSurrogate(c)) {
        out += '?';
        ++invalid;
      } else {
        appendUtf8(out, c);
      }
    }
    if (state) {
      state->invalidChars += invalid;
      state->remainingChars = high != 0 ? 1 : 0;
      state->state_data[0] = high;
    } else if (high != 0) {
      out += '?';
    }
    return out;
  }
};

}  // namespace

void keepFileNameBytes() {
  // Qt keeps every codec made until its end.
  static QTextCodec* const codec = new ByteKeepingUtf8Codec;
  const QTextCodec* const current = QTextCodec::codecForLocale();
  // A locale of another charset (Latin-1 and the like) is what its names mean.
  if (current && current != codec && current->mibEnum() != kUtf8Mib) return;
  QTextCodec::setCodecForLocale(codec);
}

void appendReadableUtf8(QByteArray& out, const QString& text) {
  const ushort* u = text.utf16();
  const int n = text.size();
  if (!hasUnit(u, n, 0xFF80, 0xDC80)) {
    out += text.toUtf8();
    return;
  }
  static const char kHex[] = "0123456789ABCDEF";
  int from = 0;
  for (int i = 0; i < n; ++i) {
    // The second half of a pair is a character of its own, not a byte.
    if (!isByteCharacter(u[i]) || (i > 0 && isHighSurrogate(u[i - 1]))) continue;
    out += QStringView(text).mid(from, i - from).toUtf8();
    const int byte = u[i] - kByteBase;
    const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    out.append(escaped, 4);
    from = i + 1;
  }
  out += QStringView(text).mid(from).toUtf8();
}

QByteArray readableUtf8(const QString& text) {
  QByteArray out;
  appendReadableUtf8(out, text);
  return out;
}

}  // namespace platform
