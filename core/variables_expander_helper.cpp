#include "core/variables_expander_helper.h"

namespace {

// Names nested deeper than this are left as written: a bound on the recursion.
constexpr int kMaxNameDepth = 64;

// Finds the next reference at or after from: s is its lead, e its closing brace.
bool findReference(const QString& text, int from, QChar lead, int& s, int& e) {
  const QChar* t = text.constData();
  const int size = text.size();
  int depth = 0;
  int refDepth = 0;
  bool leadSeen = false;
  bool open = false;
  for (int i = from; i < size; ++i) {
    const QChar c = t[i];
    if (c == lead) {
      if (!open) {
        s = i;  // in $${a} the reference starts at the second lead
        leadSeen = true;
      }
    } else if (c == QLatin1Char('{')) {
      ++depth;
      if (leadSeen && !open) {
        open = true;
        refDepth = depth;
      }
    } else if (c == QLatin1Char('}')) {
      if (open && depth == refDepth) {
        e = i;
        return true;
      }
      --depth;
    } else if (leadSeen && !open) {
      leadSeen = false;
    }
  }
  return false;
}

// The text is built as it is scanned, so a pass costs one walk over it.
// found tells whether the text held any reference at all.
QString expandPass(IVariablesGetter* getter, const QString& text, QChar lead, int depthLeft,
                   bool* found) {
  if (found) *found = false;
  int s = 0;
  int e = 0;
  QString out;
  int copied = 0;  // text before this index is in out already
  int pos = 0;
  QString value;
  while (findReference(text, pos, lead, s, e)) {
    if (found) *found = true;
    pos = e + 1;
    const QString name = text.mid(s + 2, e - s - 2).trimmed();
    if (getter->get(name, value) == 0) {
      if (copied == 0) out.reserve(text.size() + value.size());
      out.append(text.constData() + copied, s - copied).append(value);
      copied = e + 1;
      continue;
    }
    if (depthLeft <= 0) continue;
    bool inner = false;
    const QString expandedName = expandPass(getter, name, lead, depthLeft - 1, &inner);
    if (!inner) continue;
    if (getter->get(expandedName, value) == 0) {
      out.append(text.constData() + copied, s - copied).append(value);
      copied = e + 1;
    } else {
      out.append(text.constData() + copied, s + 2 - copied).append(expandedName);
      copied = e;  // the closing brace stays
    }
  }
  if (copied == 0) return text;
  out.append(text.constData() + copied, text.size() - copied);
  return out;
}

QString expandKind(IVariablesGetter* getter, const QString& text, QChar lead) {
  if (!getter) return text;
  return expandPass(getter, text, lead, kMaxNameDepth, nullptr);
}

}  // namespace

QString expandDollarVariables(IVariablesGetter* getter, const QString& text) {
  return expandKind(getter, text, QLatin1Char('$'));
}

QString expandAtVariables(IVariablesGetter* getter, const QString& text) {
  return expandKind(getter, text, QLatin1Char('@'));
}

QString expandHashVariables(IVariablesGetter* getter, const QString& text) {
  return expandKind(getter, text, QLatin1Char('#'));
}

bool VariablesExpanderHelper::expand(QString& text) {
  if (!getter_) return false;
  QString result;
  switch (kind_) {
    case KindDollar: result = expandDollarVariables(getter_, text); break;
    case KindAt: result = expandAtVariables(getter_, text); break;
    case KindHash: result = expandHashVariables(getter_, text); break;
    default: return false;
  }
  if (result.isSharedWith(text)) return false;
  // Folding maps one unit to one unit, so texts of different lengths differ in any case.
  if (result.size() == text.size() && result.compare(text, Qt::CaseInsensitive) == 0) return false;
  text = result;
  return true;
}
