#include "xml/xml_parser.h"

#include "core/variables_mgr.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::hostileFixture;
using testing_support::makeFifo;
using testing_support::ScopedLogCapture;
using testing_support::startFifoWriter;

namespace {

// Records the elements that reach the hook and skips them.
class RecordingParser : public XmlParser {
 public:
  std::vector<QString> elements;
  bool begun = false;
  bool ended = false;
  QString stopAt;  // an element name that stops the parser from inside the hook

 protected:
  int beginParse() override {
    begun = true;
    return 0;
  }
  int parseElement() override {
    elements.push_back(reader_.name().toString());
    if (!stopAt.isEmpty() && isElement(stopAt)) stop();
    else skipCurrentElement();
    return 0;
  }
  int endParse() override {
    ended = true;
    return 0;
  }
};

struct IncludeCall {
  QString parentFile, thisFile, variablesPrefix, objectPrefix;
  bool replace;
};

class RecordingCallback : public IXmlParserCallback {
 public:
  std::vector<IncludeCall> calls;
  int result = 0;
  int includeXml(const QString&, const QString& parentFile, const QString& thisFile,
                 bool replaceVariables, const QString& variablesPrefix,
                 const QString& objectPrefix) override {
    calls.push_back({parentFile, thisFile, variablesPrefix, objectPrefix, replaceVariables});
    return result;
  }
};

class XmlParserTest : public ::testing::Test {
 protected:
  XmlParserTest() {
    parser_.setVariablesGetter(&globals_);
    parser_.setVariablesSetter(&globals_);
  }

  QString write(const QByteArray& content, const QString& name = "job.xml") {
    const QString path = dir_.filePath(name);
    testing_support::writeFile(path, content);
    return path;
  }

  int parse(const QByteArray& content, bool replace = true, const QString& prefix = QString()) {
    const int code = parser_.parseFile(write(content), replace, prefix, QString());
    parser_.stop();
    return code;
  }

  QString global(const QString& name) {
    QString value;
    return globals_.get(name, value) == 0 ? value : QStringLiteral("<missing>");
  }

  QTemporaryDir dir_;
  VariablesMgr globals_;
  RecordingParser parser_;
};

TEST_F(XmlParserTest, RootDecidesWhetherAnythingIsRead) {
  struct Case {
    const char* name;
    QByteArray content;
    std::vector<QString> elements;
  };
  const Case cases[] = {
      {"root in any case", "<Project><tasks/><Other/></Project>", {"tasks", "Other"}},
      {"other root reads nothing", "<jobs><tasks/></jobs>", {}},
      {"empty file", "", {}},
      {"white space only", "  \n\t\r\n ", {}},
      {"shared elements stay with the base", "<project><vars/><LoadProperties/><includes/></project>", {}},
      {"comments, instructions and white space after the root",
       "<project><tasks/></project>\n<!-- end -->\n<?done yes?>\n\n", {"tasks"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser parser;
    const int code = parser.parseFile(write(c.content), true, QString(), QString());
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(parser.begun);
    EXPECT_TRUE(parser.ended);
    EXPECT_EQ(parser.elements, c.elements);
  }
}

// A document broken anywhere fails; stopping at the fault would run half a job.
TEST_F(XmlParserTest, MalformedDocumentFailsWithPositionAndKeepsWhatWasRead) {
  struct Case {
    const char* name;
    QByteArray content;
    int line;
    int column;
    const char* error;
  };
  const Case cases[] = {
      {"cut off in an element", "<project>\n<vars><var name=\"a\" value=\"1\"/></vars>\n<tasks><ec",
       3, 10, "Premature end of document."},
      {"cut off after an element", "<project>\n<vars><var name=\"a\" value=\"1\"/></vars>\n<tasks/>\n",
       4, 0, "Premature end of document."},
      {"mismatched end tag", "<project>\n<vars><var name=\"a\" value=\"1\"/></vars>\n<tasks></task>\n</project>",
       3, 14, "Opening and ending tag mismatch."},
      {"text that is not XML", "hello", 1, 1, "Start tag expected."},
      {"element after the root", "<project>\n<vars><var name=\"a\" value=\"1\"/></vars>\n</project>\n<echo/>\n",
       4, 7, "Extra content at end of document."},
      {"text after the root", "<project>\n<vars><var name=\"a\" value=\"1\"/></vars>\n</project> junk", 3, 12,
       "Extra content at end of document."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(0, globals_.clear());
    ScopedLogCapture capture;
    const QString path = write(c.content);
    RecordingParser parser;
    parser.setVariablesGetter(&globals_);
    parser.setVariablesSetter(&globals_);
    EXPECT_EQ(parser.parseFile(path, true, QString(), QString()), 502);
    EXPECT_FALSE(parser.ended);
    const QString expected = QString("XML error in file '%1'. Line: %2. Column: %3. Error: %4")
                                 .arg(path).arg(c.line).arg(c.column).arg(c.error);
    ASSERT_FALSE(capture.log().entries.empty());
    const logger::LogEntry& last = capture.log().entries.back();
    EXPECT_EQ(last.text.toStdString(), expected.toStdString());
    EXPECT_EQ(last.tag, "XmlParser");
    EXPECT_EQ(last.level, logger::LogError);
    // Failed parses stop the parser: it can read again at once.
    EXPECT_EQ(parser.parseFile(write("<project/>"), true, QString(), QString()), 0);
    if (c.content.startsWith("<project>")) {
      EXPECT_EQ(global("a"), "1");
    }
  }
}

TEST_F(XmlParserTest, OpenAndReentryFailures) {
  ScopedLogCapture capture;
  const QString missing = dir_.filePath("none.xml");
  EXPECT_EQ(parser_.parseFile(missing, true, QString(), QString()), 501);
  EXPECT_TRUE(capture.log().contains("Failed to open file: '" + missing + "'"));

  const QString path = write("<project/>");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 0);
  EXPECT_EQ(parser_.fileName(), path);
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 10);
  parser_.stop();
  EXPECT_TRUE(parser_.fileName().isEmpty());
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 0);
}

TEST_F(XmlParserTest, StopFromHookEndsReading) {
  parser_.stopAt = "second";
  EXPECT_EQ(parse("<project><first/><second/><third/></project>"), 0);
  EXPECT_EQ(parser_.elements, (std::vector<QString>{"first", "second"}));
}

TEST_F(XmlParserTest, VariablesGoToBothTables) {
  EXPECT_EQ(0, globals_.set("old", "kept"));
  EXPECT_EQ(0, globals_.set("known", "0"));
  EXPECT_EQ(parse("<project><vars>"
                  "<var name=' a ' value=' 1 '/>"
                  "<var name='b' value='${a}${known}${nope}'/>"
                  "<skipped name='c' value='x'/>"
                  "<var name='old' value='new'/>"
                  "<var name='known' value='2' replace='YES'/>"
                  "</vars></project>"),
            0);
  EXPECT_EQ(global("a"), " 1 ");
  EXPECT_EQ(global("b"), " 1 0${nope}");
  EXPECT_EQ(global("c"), "<missing>");
  EXPECT_EQ(global("old"), "kept");
  EXPECT_EQ(global("known"), "2");
  VariableFlags flags;
  EXPECT_EQ(0, globals_.getFlags("a", flags));
  EXPECT_EQ(flags.category, VariableFlags::kCategoryJob);
}

TEST_F(XmlParserTest, ReplaceNeedsTheFileFlagToo) {
  EXPECT_EQ(0, globals_.set("a", "1"));
  EXPECT_EQ(parse("<project><vars><var name='a' value='2' replace='true'/>"
                  "<var name='b' value='${a}'/></vars></project>",
                  false),
            0);
  EXPECT_EQ(global("a"), "1");
  EXPECT_EQ(global("b"), "1");
}

TEST_F(XmlParserTest, VariablesPrefix) {
  for (const char* prefix : {"lib", " lib. "}) {
    SCOPED_TRACE(prefix);
    EXPECT_EQ(0, globals_.clear());
    EXPECT_EQ(parse("<project><vars><var name='x' value='1'/>"
                    "<var name='y' value='${lib.x}'/></vars></project>",
                    true, prefix),
              0);
    EXPECT_EQ(global("lib.x"), "1");
    EXPECT_EQ(global("lib.y"), "1");
    EXPECT_EQ(global("x"), "<missing>");
  }
}

TEST_F(XmlParserTest, EmptyVariableNameStopsTheParse) {
  ScopedLogCapture capture;
  const QString path = write("<project><vars><var name='a' value='1'/>\n<var Name='x' value='1'/>"
                             "</vars><after/></project>");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 701);
  EXPECT_TRUE(capture.log().contains("Empty variable name. This XML file: '" + path + "'. Line: 2"));
  EXPECT_EQ(global("a"), "1");
  EXPECT_TRUE(parser_.elements.empty());
}

TEST_F(XmlParserTest, PropertiesFilesLoadIntoTheGlobalTableOnly) {
  write("p.a=1\n", "sub/a.properties");
  EXPECT_EQ(parse("<project><loadproperties>"
                  "<file file=' sub/a.properties ' varprefix='pre'/>"
                  "<file file=''/>"
                  "</loadproperties>"
                  "<vars><var name='seen' value='${pre.p.a}'/></vars></project>"),
            0);
  EXPECT_EQ(global("pre.p.a"), "1");
  EXPECT_EQ(global("seen"), "${pre.p.a}");
}

// The file's own table starts from the variables as they were when it was opened: what
// a property file changes meanwhile is not seen, and a read-only name stays read-only.
TEST_F(XmlParserTest, TheFileSeesTheVariablesAsTheyWereWhenItWasOpened) {
  ASSERT_EQ(0, globals_.set("a", "old"));
  ASSERT_EQ(0, globals_.set("fixed", "kept", VariableFlags{true, 1}));
  write("a=new\nb=1\n", "a.properties");
  EXPECT_EQ(parse("<project><loadproperties><file file='a.properties' replace='yes'/></loadproperties>"
                  "<vars><var name='seen' value='${a}${b}'/>"
                  "<var name='fixed' value='changed' replace='yes'/><var name='after' value='${fixed}'/></vars>"
                  "</project>"),
            0);
  EXPECT_EQ(global("a"), "new");
  EXPECT_EQ(global("seen"), "old${b}");
  EXPECT_EQ(global("fixed"), "kept");
  EXPECT_EQ(global("after"), "kept");
}

TEST_F(XmlParserTest, PropertiesFileFailures) {
  ScopedLogCapture capture;
  write("no equals sign\n", "bad.properties");
  const QString missing = QDir(dir_.path()).absoluteFilePath("none.properties");
  const QString bad = QDir(dir_.path()).absoluteFilePath("bad.properties");
  const QString path = write("<project><loadproperties>\n<file file='none.properties'/>"
                             "</loadproperties></project>");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 205);
  EXPECT_TRUE(capture.log().contains("Properties file ('" + missing + "') not found. This XML file: '" +
                                     path + "'. Line: 2"));
  EXPECT_EQ(parse("<project><loadproperties><file file='bad.properties'/></loadproperties></project>"),
            204);
  EXPECT_TRUE(capture.log().containsPart("Failed to read properties file ('" + bad + "'). Error: 204."));
}

TEST_F(XmlParserTest, IncludesGoToTheCallbackWithAbsolutePaths) {
  RecordingCallback callback;
  parser_.setIncludeCallback(&callback);
  const QString path = write("<project><includes>"
                             "<include file='sub/../sub/x.xml' replace=' yes ' varprefix=' lib ' objprefix='o'/>"
                             "<include file='/abs/y.xml'/>"
                             "<include file=''/>"
                             "</includes></project>");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 0);
  ASSERT_EQ(callback.calls.size(), 3u);
  EXPECT_EQ(callback.calls[0].parentFile, path);
  EXPECT_EQ(callback.calls[0].thisFile, QDir(dir_.path()).absoluteFilePath("sub/x.xml"));
  EXPECT_TRUE(callback.calls[0].replace);
  EXPECT_EQ(callback.calls[0].variablesPrefix, "lib");
  EXPECT_EQ(callback.calls[0].objectPrefix, "o");
  EXPECT_EQ(callback.calls[1].thisFile, "/abs/y.xml");
  EXPECT_FALSE(callback.calls[1].replace);
  EXPECT_TRUE(callback.calls[2].thisFile.isEmpty());
  parser_.stop();

  callback.calls.clear();
  callback.result = 42;
  EXPECT_EQ(parse("<project><includes><include file='a.xml'/><include file='b.xml'/>"
                  "</includes><after/></project>"),
            42);
  EXPECT_EQ(callback.calls.size(), 1u);
  EXPECT_TRUE(parser_.elements.empty());
}

TEST_F(XmlParserTest, EachSharedElementLogsWhatItTriesWithFileAndLine) {
  write("p=1\n", "a.properties");
  RecordingCallback callback;
  parser_.setIncludeCallback(&callback);
  ScopedLogCapture capture;
  const QString path = write("<project>\n<vars><var name='v' value=' x '/></vars>\n"
                             "<loadproperties><file file='a.properties'/></loadproperties>\n"
                             "<includes><include file='inc.xml'/></includes></project>");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 0);
  const QString dir = QDir(dir_.path()).absolutePath();
  std::vector<std::string> lines;
  for (const logger::LogEntry& e : capture.log().entries) {
    if (e.tag != "XmlParser") continue;
    EXPECT_EQ(e.level, logger::LogInfo);
    lines.push_back(e.text.toStdString());
  }
  const QString file = "'. This XML file: '" + path + "'. Line: ";
  EXPECT_EQ(lines, (std::vector<std::string>{
                       ("Try to add variable with name: 'v', value: ' x " + file + "2").toStdString(),
                       ("Try to load properties file: '" + dir + "/a.properties" + file + "3").toStdString(),
                       ("Try to include other XML file: '" + dir + "/inc.xml" + file + "4").toStdString(),
                   }));
}

TEST_F(XmlParserTest, ReadingOperations) {
  // Outside a parse nothing is open.
  QString out = "kept";
  EXPECT_FALSE(parser_.readAttribute("name", out));
  EXPECT_EQ(out, "kept");
  EXPECT_FALSE(parser_.isEnabled());
  EXPECT_FALSE(parser_.readNextStartElement());

  struct EnabledProbe : XmlParser {
    std::vector<bool> enabled;
    int beginParse() override { return 0; }
    int parseElement() override {
      enabled.push_back(isEnabled());
      skipCurrentElement();
      return 0;
    }
    int endParse() override { return 0; }
  } probe;
  EXPECT_EQ(0, globals_.set("off", "No"));
  probe.setVariablesGetter(&globals_);
  EXPECT_EQ(probe.parseFile(write("<project><a/><a enable=''/><a enable='${off}'/><a enable='0'/>"
                                  "<a enable='maybe'/><a Enable='false'/></project>"),
                            true, QString(), QString()),
            0);
  EXPECT_EQ(probe.enabled, (std::vector<bool>{true, true, false, false, true, true}));
}

// ---- hostile input ------------------------------------------------------------------

// A FIFO that nobody writes would block the run for ever in open().
TEST_F(XmlParserTest, FilesThatAreNotRegularAreRefusedAtOnce) {
  const QString fifo = dir_.filePath("fifo");
  ASSERT_TRUE(makeFifo(fifo));
  ScopedLogCapture capture;
  EXPECT_EQ(parser_.parseFile(fifo, true, QString(), QString()), 501);
  EXPECT_TRUE(capture.log().contains("Failed to open file: '" + fifo + "'. It is not a regular file."));
  EXPECT_EQ(parser_.parseFile(dir_.path(), true, QString(), QString()), 501);

  capture.clear();
  EXPECT_EQ(parse("<project><loadproperties><file file='fifo'/></loadproperties></project>"), 20);
  EXPECT_TRUE(capture.log().contains("Failed to open file: '" + fifo + "'. It is not a regular file."));
  EXPECT_TRUE(capture.log().containsPart("Failed to read properties file ('" + fifo + "'). Error: 20."));
}

// The command line may hand the job over through a pipe, read to its end.
TEST_F(XmlParserTest, JobFromAPipeWhenPipesAreAllowed) {
  const QString fifo = dir_.filePath("fifo");
  ASSERT_TRUE(makeFifo(fifo));
  struct Case {
    const char* name;
    QByteArray content;
    int code;
    const char* piped;
  };
  const Case cases[] = {
      {"a job", "<project><vars><var name='piped' value='yes'/></vars><tasks/></project>\n", 0, "yes"},
      {"nothing at all", "", 0, "<missing>"},
      {"an element after the root", "<project/><tasks/>", 502, "<missing>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture(logger::LogOff);
    EXPECT_EQ(0, globals_.clear());
    QProcess writer;
    startFifoWriter(writer, fifo, c.content);
    RecordingParser parser;
    parser.setVariablesGetter(&globals_);
    parser.setVariablesSetter(&globals_);
    parser.setRegularFilesOnly(false);
    EXPECT_EQ(parser.parseFile(fifo, true, QString(), QString()), c.code);
    EXPECT_TRUE(writer.waitForFinished());
    EXPECT_EQ(global("piped"), c.piped);
  }
}

TEST_F(XmlParserTest, AttributeThatExpandsBeyondTheLimitFailsTheFile) {
  ScopedLogCapture capture;
  const QString path = hostileFixture("expansion_bomb_vars.xml");
  EXPECT_EQ(parser_.parseFile(path, true, QString(), QString()), 703);
  EXPECT_TRUE(capture.log().contains(
      "Text too long: expanding the variable 'l6' would make it longer than 16777216 characters."));
  EXPECT_TRUE(capture.log().contains("Text too long in an attribute. This XML file: '" + path + "'. Line: 11"));
  EXPECT_EQ(global("l6").size(), 10000000) << "what was read before stays";
  EXPECT_EQ(global("l7"), "<missing>");
  EXPECT_FALSE(parser_.ended);
}

}  // namespace
