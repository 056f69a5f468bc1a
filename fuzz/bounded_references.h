#pragma once

// Inputs are cut before their 17th reference. With more, values that repeat the one
// before multiply into millions of characters, and a run spends its time copying them
// into fresh memory instead of exploring the reader; texts at the length limit and
// stores at their bound have tests of their own (tests/data/hostile).

#include <QBuffer>
#include <QByteArray>
#include <QLatin1String>
#include <QXmlStreamReader>

namespace fuzz {

constexpr int kMaxReferences = 16;

// For readers that take the text as it is (property files): "${" as written.
inline QByteArray withBoundedReferences(const QByteArray& input) {
  int at = -1;
  for (int count = 0; count <= kMaxReferences; ++count) {
    at = input.indexOf("${", at + 1);
    if (at < 0) return input;
  }
  return input.left(at);
}

// The references in the attributes of what the XML reader makes of the bytes, read as
// the job and 'build rules' readers read them (only attributes are expanded as a file is
// read). Counting stops past the bound; within then holds the characters read before the
// element that passed it.
inline int xmlReferences(const QByteArray& input, qint64* within = nullptr) {
  QBuffer buffer;
  buffer.setData(input);
  if (!buffer.open(QIODevice::ReadOnly | QIODevice::Text)) return 0;
  QXmlStreamReader reader(&buffer);
  const QLatin1String lead("${");
  int count = 0;
  while (!reader.atEnd()) {
    const qint64 before = reader.characterOffset();
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    for (const QXmlStreamAttribute& attribute : reader.attributes()) count += attribute.value().count(lead);
    if (count > kMaxReferences) {
      if (within) *within = before;
      break;
    }
  }
  return count;
}

// For the XML readers: "${" as written (a job may load itself as a property file) and as
// decoded ("&#36;{", an entity, another encoding). A character takes at least one byte,
// so as many bytes as the characters read before the element that passed the bound hold
// no more than the bound; an input that still does is left out.
inline QByteArray withBoundedXmlReferences(const QByteArray& input) {
  const QByteArray raw = withBoundedReferences(input);
  qint64 within = 0;
  if (xmlReferences(raw, &within) <= kMaxReferences) return raw;
  const QByteArray cut = raw.left(static_cast<int>(within));
  return xmlReferences(cut) <= kMaxReferences ? cut : QByteArray();
}

}  // namespace fuzz
