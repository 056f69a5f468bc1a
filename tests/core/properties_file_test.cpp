#include "core/properties_file.h"
#include "core/result_codes.h"
#include "core/text_limit.h"
#include "core/variables_mgr.h"
#include "test_support.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using testing_support::hostileFixture;
using testing_support::makeFifo;
using testing_support::ScopedLogCapture;
using testing_support::startFifoWriter;

namespace {

using Entries = std::vector<std::pair<QString, QString>>;

class PropertiesFileTest : public ::testing::Test {
 protected:
  QString write(const QByteArray& content, const QString& name = "test.properties") {
    const QString path = dir_.filePath(name);
    testing_support::writeFile(path, content);
    return path;
  }

  static Entries entries(VariablesMgr& store) {
    Entries out;
    QString name;
    QString value;
    for (int i = 0; i < store.count(); ++i) {
      EXPECT_EQ(0, store.getAt(i, name, value));
      out.emplace_back(name, value);
    }
    return out;
  }

  QTemporaryDir dir_;
};

std::string show(const Entries& entries) {
  std::string out;
  for (const auto& e : entries) out += "[" + e.first.toStdString() + "=" + e.second.toStdString() + "]";
  return out;
}

TEST_F(PropertiesFileTest, LinesBecomeEntries) {
  struct Case {
    const char* name;
    QByteArray content;
    int result;
    Entries expected;  // the target store, in its order
  };
  const QString u = QString::fromUtf8("\xC3\xBC");  // ü
  const Case cases[] = {
      {"blank after = stays", "a = b\n", 0, {{"a", " b"}}},
      {"indented comment", "   # x=1\n", 0, {}},
      {"hash inside value", "x=1 # y\n", 0, {{"x", "1 # y"}}},
      {"value holds =", "expr=a=b\n", 0, {{"expr", "a=b"}}},
      {"empty name ignored", "=value\nk=v\n", 0, {{"k", "v"}}},
      {"name expands to nothing", "${empty}=v\n", 0, {}},
      {"no = fails, earlier kept", "a=1\nnoequals\nb=2\n", 204, {{"a", "1"}}},
      {"known and earlier refs", "b=${a}2\nc=${b}\n", 0, {{"b", "12"}, {"c", "12"}}},
      {"later ref stays", "d=${later}\nlater=5\n", 0, {{"d", "${later}"}, {"later", "5"}}},
      {"ref in name", "${a}.x=1\n", 0, {{"1.x", "1"}}},
      {"crlf, blanks, tabs, no last newline", "\r\n  \n\tk\t=\tv  \r\nq=\"a b\"", 0,
       {{"k", "\tv"}, {"q", "\"a b\""}}},
      {"utf-8", QByteArray("n") + u.toUtf8() + "=" + u.toUtf8() + "\n", 0, {{"n" + u, u}}},
      {"byte order mark before a comment", "\xEF\xBB\xBF# head\nx=1\n", 0, {{"x", "1"}}},
      {"empty file", "", 0, {}},
      {"later line wins", "x=1\nX=2\n", 0, {{"x", "2"}}},
  };
  for (const Case& c : cases) {
    ScopedLogCapture capture(logger::LogOff);
    VariablesMgr known;
    EXPECT_EQ(0, known.set("a", "1"));
    EXPECT_EQ(0, known.set("empty", ""));
    VariablesMgr target;
    PropertiesFile file;
    EXPECT_EQ(c.result, file.loadNoPrefix(write(c.content), &known, &target, true)) << c.name;
    EXPECT_EQ(show(c.expected), show(entries(target))) << c.name;
  }
}

TEST_F(PropertiesFileTest, PrefixIsPutBeforeEveryName) {
  for (const char* prefix : {"build", " build. "}) {
    VariablesMgr target;
    PropertiesFile file;
    EXPECT_EQ(0, file.load(write("x=1\ny=${build.x}2\n"), nullptr, &target, true, prefix));
    EXPECT_EQ(show({{"build.x", "1"}, {"build.y", "12"}}), show(entries(target))) << prefix;
  }
}

TEST_F(PropertiesFileTest, WithoutAcceptNewOnlyKnownNamesReachTheTarget) {
  VariablesMgr known;
  EXPECT_EQ(0, known.set("x", "0"));
  VariablesMgr target;
  PropertiesFile file;
  EXPECT_EQ(0, file.loadNoPrefix(write("x=1\ny=2\nz=${y}\n"), &known, &target, false));
  EXPECT_EQ(show({{"x", "1"}}), show(entries(target)));

  // y and z stayed in the working store, which a second load through the object still sees.
  EXPECT_EQ(0, file.loadNoPrefix(write("w=${z}\n", "second.properties"), &known, &target, true));
  EXPECT_EQ(show({{"w", "2"}, {"x", "1"}}), show(entries(target)));
}

// A later load through the object sees its own lines first, then what its known getter
// held when it began, and only then the lines of earlier loads.
TEST_F(PropertiesFileTest, EachLoadSeesItsLinesThenTheKnownThenEarlierLoads) {
  VariablesMgr target;
  PropertiesFile file;
  ASSERT_EQ(0, file.loadNoPrefix(write("x=earlier\ny=earlier\n"), nullptr, &target, true));
  VariablesMgr known;
  ASSERT_EQ(0, known.set("x", "known"));
  ASSERT_EQ(0, known.set("z", "known"));
  EXPECT_EQ(0, file.loadNoPrefix(write("a=${x}${y}${z}\nz=line\nb=${z}\nknown.later=${w}\n", "second.properties"),
                                 &known, &target, true));
  QString value;
  EXPECT_EQ(0, target.get("a", value));
  EXPECT_EQ("knownearlierknown", value);
  EXPECT_EQ(0, target.get("b", value));
  EXPECT_EQ("line", value);

  // The known getter is seen as it was when the load began, whatever changes it meanwhile.
  struct ChangesKnown : IVariablesSetTrigger {
    VariablesMgr* known;
    bool onVariableSet(const QString&, const QString&, QString&) override {
      EXPECT_EQ(0, known->set("v", "after"));
      return false;
    }
  };
  VariablesMgr changing;
  ASSERT_EQ(0, changing.set("v", "before"));
  ChangesKnown trigger;
  trigger.known = &changing;
  VariablesMgr watched;
  watched.setTrigger(&trigger);
  PropertiesFile third;
  EXPECT_EQ(0, third.loadNoPrefix(write("a=1\nw=${v}\n", "third.properties"), &changing, &watched, true));
  EXPECT_EQ(0, watched.get("w", value));
  EXPECT_EQ("before", value);
}

TEST_F(PropertiesFileTest, ReadOnlyNameStopsTheLoad) {
  VariablesMgr known;
  EXPECT_EQ(0, known.set("symbol.crlf", "\r\n", VariableFlags{true, 1}));
  VariablesMgr target;
  PropertiesFile file;
  ScopedLogCapture capture;
  const QString path = write("a=1\n\nSymbol.CRLF=x\nb=2\n");
  EXPECT_EQ(700, file.loadNoPrefix(path, &known, &target, true));
  EXPECT_EQ(show({{"a", "1"}}), show(entries(target)));
  ASSERT_EQ(1u, capture.log().entries.size());
  EXPECT_EQ("PropertiesFile", capture.log().entries[0].tag);
  EXPECT_EQ("Line 3 of file '" + path + "' sets a read-only variable (result 700): 'Symbol.CRLF=x'",
            capture.log().entries[0].text);

  // A read-only entry of the target refuses as well.
  VariablesMgr lockedTarget;
  EXPECT_EQ(0, lockedTarget.set("b", "0", VariableFlags{true, 1}));
  PropertiesFile again;
  EXPECT_EQ(700, again.loadNoPrefix(write("b=2\n"), nullptr, &lockedTarget, true));
}

TEST_F(PropertiesFileTest, ValueNamingItsOwnEntryStopsTheLoad) {
  VariablesMgr target;
  PropertiesFile file;
  EXPECT_EQ(702, file.loadNoPrefix(write("a=1\npath=${path}:/bin\nb=2\n"), nullptr, &target, true));
  EXPECT_EQ(show({{"a", "1"}}), show(entries(target)));
}

TEST_F(PropertiesFileTest, MissingFileGives20) {
  ScopedLogCapture capture;
  const QString path = dir_.filePath("absent.properties");
  VariablesMgr target;
  PropertiesFile file;
  EXPECT_EQ(20, file.loadNoPrefix(path, nullptr, &target, true));
  EXPECT_EQ(QStringList{"Failed to open file: '" + path + "'"}, capture.log().texts());
  EXPECT_EQ(logger::LogError, capture.log().entries[0].level);
}

TEST_F(PropertiesFileTest, LongLineIsReadWhole) {
  // Two-byte characters, so a cut at a byte count would also split a character.
  const QString value = "a" + QString::fromUtf8("\xC3\xA9").repeated(19999);
  VariablesMgr target;
  PropertiesFile file;
  const QString path = write("long=" + value.toUtf8() + "\r\nnext=1\n");
  EXPECT_EQ(0, file.loadNoPrefix(path, nullptr, &target, true));
  QString stored;
  ASSERT_EQ(0, target.get("long", stored));
  EXPECT_EQ(20000, stored.size());
  EXPECT_EQ(value, stored);
  EXPECT_EQ(2, target.count());
}

// ---- hostile input: every load ends, with the failing line named -----------------

TEST_F(PropertiesFileTest, HostileLinesFailTheLoadWithTheirLineNumber) {
  struct Case {
    const char* name;
    QString path;
    int result;
    Entries stored;
    QString logged;  // the error line of the load
  };
  const QByteArray tooLong = "big=" + QByteArray(kMaxTextLength, 'v') + "\n";
  const Case cases[] = {
      {"NUL byte inside a value", write(QByteArray("a=1\nb=1\0" "2\nc=3\n", 14), "nul.properties"), core_codes::kNoEquals,
       {{"a", "1"}}, "Line 2 of file 'PATH' holds a NUL character (result 204): 'b=1"},
      {"line beyond the text limit", write("a=1\n" + tooLong, "long.properties"), core_codes::kTextTooLong, {{"a", "1"}},
       "Line 2 of file 'PATH' is too long (result 703): 'big=vvv"},
      {"references that multiply", hostileFixture("expansion_bomb.properties"), core_codes::kTextTooLong,
       {{"l0", "xxxxxxxxxx"}},
       "Line 8 of file 'PATH' expands to a text that is too long (result 703): 'l7=${l6}${l6}"},
      {"copies beyond what the variables may hold", hostileFixture("copies_beyond_bound.properties"),
       core_codes::kTextTooLong, {{"l0", "0123456789abcdef"}},
       "Line 8 of file 'PATH' stores the variable 'c1' beyond what the variables may hold (result 703): "
       "'c1=${l6}-1'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLogCapture capture;
    VariablesMgr target;
    PropertiesFile file;
    EXPECT_EQ(c.result, file.loadNoPrefix(c.path, nullptr, &target, true));
    ASSERT_GE(target.count(), static_cast<int>(c.stored.size()));
    QString value;
    for (const auto& entry : c.stored) {
      EXPECT_EQ(0, target.get(entry.first, value));
      EXPECT_EQ(entry.second, value);
    }
    EXPECT_TRUE(capture.log().texts().filter(QString(c.logged).replace("PATH", c.path)).size() == 1)
        << capture.log().texts().join('\n').left(2000).toStdString();
  }
}

TEST_F(PropertiesFileTest, OnlyARegularFileIsOpenedUnlessPipesAreAllowed) {
  const QString fifo = dir_.filePath("fifo.properties");
  ASSERT_TRUE(makeFifo(fifo));
  {
    // Nobody writes: a blocking open would wait for ever.
    ScopedLogCapture capture;
    VariablesMgr target;
    PropertiesFile file;
    EXPECT_EQ(core_codes::kCannotOpen, file.loadNoPrefix(fifo, nullptr, &target, true));
    EXPECT_EQ(QStringList{"Failed to open file: '" + fifo + "'. It is not a regular file."}, capture.log().texts());
    EXPECT_EQ(core_codes::kCannotOpen, file.loadNoPrefix(dir_.path(), nullptr, &target, true));
  }
  // A pipe is read to its end, which its size does not tell.
  QProcess writer;
  startFifoWriter(writer, fifo, "a=1\nb=${a}2\n");
  VariablesMgr target;
  PropertiesFile file;
  file.setRegularFilesOnly(false);
  EXPECT_EQ(0, file.loadNoPrefix(fifo, nullptr, &target, true));
  EXPECT_TRUE(writer.waitForFinished());
  EXPECT_EQ(show({{"a", "1"}, {"b", "12"}}), show(entries(target)));
}

}  // namespace
