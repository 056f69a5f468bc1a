#include "xml/xml_element_readers.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <string>

namespace {

// A reader on the first element of the document after "<r>".
struct ReaderOn {
  explicit ReaderOn(const char* xml) : reader(QByteArray("<r>") + xml + "<after/></r>") {
    reader.readNextStartElement();
    reader.readNextStartElement();
  }
  // The reader must have left the element at its end, so the next sibling comes next.
  bool endsAtElementEnd() { return reader.readNextStartElement() && reader.name() == "after"; }
  QXmlStreamReader reader;
};

std::string show(const XmlVarsMap& map) {
  std::string out;
  for (const auto& e : map) out += "[" + e.first.toStdString() + "=" + e.second.toStdString() + "]";
  return out;
}

TEST(XmlElementReadersTest, ReadVars) {
  struct Case {
    const char* name;
    const char* xml;
    const char* expected;
  };
  const Case cases[] = {
      {"name trimmed, value as written", "<build><vars><var name=' a ' value=' 1 '/></vars></build>", "[a= 1 ]"},
      {"first of two names wins", "<build><vars><var name='k' value='1'/><var name='K' value='2'/></vars></build>",
       "[k=1]"},
      {"empty names and other children dropped",
       "<build><vars><var name=' ' value='x'/><other name='o'/><var name='b'><x/></var></vars></build>", "[b=]"},
      {"vars in any case, other children skipped whole",
       "<build><x><vars><var name='no'/></vars></x><VARS><Var name='c' value='${y}'/></VARS><vars>"
       "<var name='d' value='2'/></vars></build>",
       "[c=${y}][d=2]"},
      {"no children", "<build/>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReaderOn on(c.xml);
    XmlVarsMap map;
    EXPECT_EQ(readVars(on.reader, map), 0);
    EXPECT_EQ(show(map), c.expected);
    EXPECT_TRUE(on.endsAtElementEnd());
  }
}

TEST(XmlElementReadersTest, ReadFileSet) {
  ReaderOn on("<fileset dir='bin' id='ignored'><include name='*.dll' targetsubdir='x'/><Include/>"
              "<exclude name=''/><other name='o'/><exclude name='d*.dll'><deep/></exclude></fileset>");
  FileSetInfo set;
  set.id = "old";
  set.includes.push_back({"stale", "", ""});
  EXPECT_EQ(readFileSet(on.reader, set), 0);
  EXPECT_TRUE(on.endsAtElementEnd());
  EXPECT_EQ(set.dir, "bin");
  EXPECT_TRUE(set.id.isEmpty());
  ASSERT_EQ(set.includes.size(), 2u);
  EXPECT_EQ(set.includes[0].name, "*.dll");
  EXPECT_EQ(set.includes[0].targetsubdir, "x");
  EXPECT_TRUE(set.includes[1].name.isEmpty());
  EXPECT_EQ(set.excludes, (QStringList{"", "d*.dll"}));
}

TEST(XmlElementReadersTest, AttributeNamesAreExactElementNamesAreNot) {
  ReaderOn on("<Echo Message='hi' message='lo'/>");
  EXPECT_TRUE(isElementNamed(on.reader, "echo"));
  QString out = "kept";
  EXPECT_FALSE(readRawAttribute(on.reader, "MESSAGE", out));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(readRawAttribute(on.reader, "message", out));
  EXPECT_EQ(out, "lo");
}

}  // namespace
