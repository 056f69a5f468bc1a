#include "core/variables_expander_helper.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "core/text_limit.h"

#include <utility>

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
    // Outside a reference only the next lead matters: braces before it move the depth,
    // but a reference's braces are matched relative to its own opening one.
    if (!leadSeen && !open) {
      i = text.indexOf(lead, i);
      if (i < 0) return false;
    }
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

bool expandName(const ReferenceLookup& lookup, const QString& name, QChar lead, int depthLeft, bool* found,
                QString& result, QString& culprit);

const char* referenceKind(QChar lead) {
  if (lead == QLatin1Char('@')) return "macro parameter";
  if (lead == QLatin1Char('#')) return "loop item";
  return "variable";
}

// Receive the pieces of a pass's result in order, and refuse the piece that would
// take it beyond kMaxTextLength. A walk that only measures lets a pass refuse a long
// result before any of it is made, and build the rest at its exact size.
class LengthSink {
 public:
  bool add(const QChar*, int size) {
    length_ += size;
    return fitsTextLimit(length_);
  }
  qint64 length() const { return length_; }

 private:
  qint64 length_ = 0;
};

class BuildSink {
 public:
  explicit BuildSink(qint64 reserve = 0, qint64 limit = kMaxTextLength) : limit_(limit) {
    if (reserve > 0) out_.reserve(int(reserve));
  }
  bool add(const QChar* data, int size) {
    if (qint64(out_.size()) + size > limit_) return false;
    out_.append(data, size);
    return true;
  }
  QString& result() { return out_; }

 private:
  QString out_;
  qint64 limit_;
};

// Results up to this length are built in one walk; a longer one is measured first.
constexpr qint64 kBuiltInOneWalk = 64 * 1024;

// Walks one pass over the text, handing the pieces of its result to the sink. found
// tells whether the text held any reference, changed whether any was replaced. When
// the sink refuses a piece, culprit names the reference that would have added it.
template <typename Sink>
bool walkPass(const ReferenceLookup& lookup, const QString& text, QChar lead, int depthLeft, Sink& sink,
              bool* found, bool* changed, QString& culprit) {
  if (found) *found = false;
  *changed = false;
  int s = 0;
  int e = 0;
  int pos = 0;
  int copied = 0;  // text before this index has been handed on
  QString value;
  QString lastName;
  // text[copied, start) and then piece stand for text[copied, end).
  auto replace = [&](int start, int end, const QString& piece, const QString& name) {
    *changed = true;
    lastName = name;
    const bool fits = sink.add(text.constData() + copied, start - copied) && sink.add(piece.constData(), piece.size());
    copied = end;
    if (!fits) culprit = name;
    return fits;
  };
  while (findReference(text, pos, lead, s, e)) {
    if (found) *found = true;
    pos = e + 1;
    const QString name = text.mid(s + 2, e - s - 2).trimmed();
    if (lookup(name, value)) {
      if (!replace(s, e + 1, value, name)) return false;
      continue;
    }
    if (depthLeft <= 0) continue;
    bool inner = false;
    QString expandedName;
    if (!expandName(lookup, name, lead, depthLeft - 1, &inner, expandedName, culprit)) return false;
    if (!inner) continue;
    // Known now: its value; still unknown: the reference with its inner ones resolved.
    const bool fits = lookup(expandedName, value) ? replace(s, e + 1, value, expandedName)
                                                  : replace(s + 2, e, expandedName, name);
    if (!fits) return false;
  }
  if (!*changed) return true;
  if (sink.add(text.constData() + copied, text.size() - copied)) return true;
  culprit = lastName;
  return false;
}

// A name is expanded in one walk: measuring at every level of nesting would double the
// work per level.
bool expandName(const ReferenceLookup& lookup, const QString& name, QChar lead, int depthLeft, bool* found,
                QString& result, QString& culprit) {
  BuildSink build;
  bool changed = false;
  if (!walkPass(lookup, name, lead, depthLeft, build, found, &changed, culprit)) return false;
  result = changed ? std::move(build.result()) : name;
  return true;
}

bool expandPass(const ReferenceLookup& lookup, const QString& text, QChar lead, QString& result,
                QString& culprit) {
  bool changed = false;
  {
    BuildSink quick(0, kBuiltInOneWalk);
    if (walkPass(lookup, text, lead, kMaxNameDepth, quick, nullptr, &changed, culprit)) {
      result = changed ? std::move(quick.result()) : text;
      return true;
    }
  }
  LengthSink measure;
  if (!walkPass(lookup, text, lead, kMaxNameDepth, measure, nullptr, &changed, culprit)) return false;
  BuildSink build(measure.length());
  if (!walkPass(lookup, text, lead, kMaxNameDepth, build, nullptr, &changed, culprit)) return false;
  result = std::move(build.result());
  return true;
}

int expandInPlace(QChar lead, const ReferenceLookup& lookup, QString& text) {
  QString result;
  QString culprit;
  if (!expandPass(lookup, text, lead, result, culprit)) {
    countTextLimitHit();
    VLOG_ERROR("Variables") << "Text too long: expanding the " << referenceKind(lead) << " '" << culprit
                            << "' would make it longer than " << kMaxTextLength << " characters.";
    return core_codes::kTextTooLong;
  }
  text = result;
  return core_codes::kOk;
}

QString expandKind(IVariablesGetter* getter, const QString& text, QChar lead) {
  if (!getter) return text;
  QString result = text;
  (void)expandInPlace(lead, [getter](const QString& name, QString& value) { return getter->get(name, value) == 0; },
                      result);  // logged and counted: the text stays as it was
  return result;
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

int expandReferences(QChar lead, const ReferenceLookup& lookup, QString& text) {
  return expandInPlace(lead, lookup, text);
}

int expandDollarVariablesInPlace(IVariablesGetter* getter, QString& text) {
  if (!getter) return core_codes::kOk;
  return expandInPlace(
      QLatin1Char('$'), [getter](const QString& name, QString& value) { return getter->get(name, value) == 0; },
      text);
}

QChar referenceLead(int kind) {
  switch (kind) {
    case VariablesExpanderHelper::KindDollar: return QLatin1Char('$');
    case VariablesExpanderHelper::KindAt: return QLatin1Char('@');
    case VariablesExpanderHelper::KindHash: return QLatin1Char('#');
    default: return QChar();
  }
}

bool differsBeyondCase(const QString& result, const QString& text) {
  if (result.isSharedWith(text)) return false;
  // Folding maps one unit to one unit, so texts of different lengths differ in any case.
  return result.size() != text.size() || result.compare(text, Qt::CaseInsensitive) != 0;
}

bool VariablesExpanderHelper::expand(QString& text) {
  const QChar lead = referenceLead(kind_);
  if (!getter_ || lead.isNull()) return false;
  const QString result = expandKind(getter_, text, lead);
  if (!differsBeyondCase(result, text)) return false;
  text = result;
  return true;
}
