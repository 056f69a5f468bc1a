// The bound that the XML harnesses put on an input's references, judged by what the real
// reader makes of the cut input: chains of variables that each double the one before.

#include "core/variables_mgr.h"
#include "fuzz/bounded_references.h"
#include "xml/xml_parser.h"

#include <gtest/gtest.h>

namespace {

// Reads only what every XML input shares: its variables.
class VariablesOnly : public XmlParser {
 public:
  VariablesOnly() {
    setVariablesGetter(&variables);
    setVariablesSetter(&variables);
  }
  VariablesMgr variables;

 protected:
  int beginParse() override { return 0; }
  int parseElement() override {
    skipCurrentElement();
    return 0;
  }
  int endParse() override { return 0; }
};

// a0 is "x"; each later one is two references to the one before, "$" and "{" as given.
QByteArray chain(int length, const char* dollar, const char* brace = "{", const char* doctype = "") {
  QByteArray xml = QByteArray("<?xml version=\"1.0\"?>\n") + doctype + "<project>\n<vars>\n<var name=\"a0\" value=\"x\"/>\n";
  for (int n = 1; n < length; ++n) {
    const QByteArray reference = QByteArray(dollar) + brace + "a" + QByteArray::number(n - 1) + "}";
    xml += "<var name=\"a" + QByteArray::number(n) + "\" value=\"" + reference + reference + "\"/>\n";
  }
  return xml + "</vars>\n</project>\n";
}

// With its byte-order mark, as the host orders the bytes.
QByteArray inUtf16(const QByteArray& utf8) {
  const QString text = QChar(QChar::ByteOrderMark) + QString::fromUtf8(utf8);
  return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// Two references a variable: a8 takes the 15th and 16th, a9 would take the 17th. Where a
// character takes more than one byte the cut comes earlier.
TEST(BoundedReferences, AChainIsCutBeforeTheReaderWouldPassTheBound) {
  static_assert(fuzz::kMaxReferences == 16, "the chains below are counted for 16");
  const struct {
    const char* name;
    QByteArray input;
    const char* kept;  // the last variable that the cut input still defines
  } cases[] = {
      {"as written", chain(40, "$"), "a8"},
      {"decimal character reference", chain(40, "&#36;"), "a8"},
      {"hexadecimal character reference", chain(40, "&#x24;"), "a8"},
      {"brace as a reference", chain(40, "$", "&#123;"), "a8"},
      {"entity", chain(40, "&d;", "{", "<!DOCTYPE project [<!ENTITY d \"$\">]>\n"), "a8"},
      {"UTF-16", inUtf16(chain(40, "$")), "a3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VariablesOnly reader;
    (void)reader.parseContent("job.xml", fuzz::withBoundedXmlReferences(c.input), true, QString(), QString());
    const int kept = QByteArray(c.kept).mid(1).toInt();
    QString value;
    EXPECT_EQ(0, reader.variables.get(c.kept, value));
    EXPECT_EQ(QString(1 << kept, 'x'), value);
    EXPECT_NE(0, reader.variables.get("a" + QString::number(kept + 1), value));
  }
}

TEST(BoundedReferences, AnInputWithinTheBoundStaysWhole) {
  for (const QByteArray& input : {chain(9, "&#36;"), inUtf16(chain(9, "$")), QByteArray("<project/>"), QByteArray()})
    EXPECT_EQ(input, fuzz::withBoundedXmlReferences(input));
}

}  // namespace
