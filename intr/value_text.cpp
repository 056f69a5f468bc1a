#include "intr/value_text.h"

namespace intr {
namespace {

bool unquote(QString& text, bool trim, QChar quote) {
  if (text.isEmpty()) return false;
  if (trim) text = text.trimmed();
  bool changed = false;
  while (text.size() >= 2 && text.startsWith(quote) && text.endsWith(quote)) {
    text.chop(1);
    text.remove(0, 1);
    if (trim) text = text.trimmed();
    changed = true;
  }
  return changed;
}

}  // namespace

void stripQuotes(QString& text, bool trim) {
  for (;;) {
    const bool doubleRemoved = unquote(text, trim, QLatin1Char('"'));
    const bool singleRemoved = unquote(text, trim, QLatin1Char('\''));
    if (!doubleRemoved && !singleRemoved) return;
  }
}

bool isTrueText(const QString& text) {
  return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
         text.compare(QLatin1String("ok"), Qt::CaseInsensitive) == 0 ||
         text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

bool isFalseText(const QString& text) {
  return text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
         text.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0");
}

QString trueText() { return QStringLiteral("true"); }
QString falseText() { return QStringLiteral("false"); }

}  // namespace intr
