#include "build/h_version_file_parser.h"
#include "build/net_version_file_parser.h"
#include "tasks/task_test_env.h"
#include "fake_disk.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using task_test_env::writeFile;
using testing_support::readFile;
using testing_support::ScopedLogCapture;

TEST(HVersionFileParserTest, ParseFindsTheFirstIntverOutsideComments) {
  const struct {
    const char* name;
    const char* text;
    const char* version;
  } cases[] = {
      {"plain", "#pragma once\n#define INTVER 2,0,1,7\n#define STRVER \"2,0,1,7\\0\"\n", "2,0,1,7"},
      {"line comment behind", "#define INTVER 5 // old\n", "5"},
      {"line comment right behind", "#define INTVER 5// old\n", "5"},
      {"inside a block comment", "/* #define INTVER 9 */\n#define INTVER 3\n", "3"},
      {"block comment over lines", "/* a\n#define INTVER 1\n*/#define INTVER 2", "2"},
      {"block comment before the value", "#define INTVER /* x */ 6\n", "6"},
      {"commented out", "// #define INTVER 8\n#define STRVER \"8\"\n", ""},
      {"blank value, then a later line", "#define INTVER   \n#define INTVER 4\n", "4"},
      {"first of two", "#define INTVER 1\n#define INTVER 2\n", "1"},
      {"tab and CR LF", "#define INTVER\t7\r\n#define INTVER 8\r\n", "7"},
      {"no line end at the end", "#define INTVER 1.2.3", "1.2.3"},
      {"name before define", "INTVER 1 #define\n", ""},
      {"no define", "# define INTVER 1\n", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    QString version = "old";
    HVersionFileParser::parse(QString::fromUtf8(c.text), version);
    EXPECT_EQ(c.version, version) << c.name;
  }
}

TEST(NetVersionFileParserTest, ParseTakesTheFirstBlockOfEachKind) {
  const struct {
    const char* name;
    const char* text;
    const char* assembly;
    const char* file;
  } cases[] = {
      {"both", "using System.Reflection;\n[assembly: AssemblyTitle(\"App\")]\n"
               "[assembly: AssemblyVersion(\"1.0.0.0\")]\n[assembly: AssemblyFileVersion(\"1.0.0.1\")]\n",
       "1.0.0.0", "1.0.0.1"},
      {"line comment", "// [assembly: AssemblyVersion(\"9\")]\n[assembly: AssemblyVersion(\"2\")]\n", "2", ""},
      {"block comment", "/* [assembly: AssemblyFileVersion(\"9\")] */[assembly: AssemblyFileVersion(\"2\")]", "",
       "2"},
      {"first of two", "[assembly: AssemblyVersion(\"1\")]\n[assembly: AssemblyVersion(\"2\")]\n", "1", ""},
      {"one block fills both", "[assembly: AssemblyVersion(\"3\"), AssemblyFileVersion(\"4\")]", "3", "3"},
      {"blanks and quotes", "[assembly: AssemblyVersion( \" 5.0 \" )]", "5.0", ""},
      {"no brackets for the value", "[assembly: AssemblyVersion]", "", ""},
      {"a link in a block is no comment",
       "[assembly: AssemblyCompany(\"http://example.com\")]\r\n[assembly: AssemblyVersion(\"6\")]\r\n", "6", ""},
      {"never closed", "[assembly: AssemblyVersion(\"7\")", "", ""},
      {"exact case", "[assembly: assemblyversion(\"8\")]", "", ""},
  };
  for (const auto& c : cases) {
    VersionBlock assembly;
    VersionBlock file;
    EXPECT_EQ(0, NetVersionFileParser::parse(QString::fromUtf8(c.text), assembly, file));
    EXPECT_EQ(c.assembly, assembly.value) << c.name;
    EXPECT_EQ(c.file, file.value) << c.name;
  }

  VersionBlock assembly;
  VersionBlock file;
  ASSERT_EQ(0, NetVersionFileParser::parse("x [a] [assembly: AssemblyVersion(\"1\")] [AssemblyFileVersion(2)]",
                                           assembly, file));
  EXPECT_EQ(6, assembly.start);
  EXPECT_EQ(37, assembly.end);
  EXPECT_EQ(39, file.start);
  EXPECT_EQ(62, file.end);
  EXPECT_EQ("2", file.value);
}

class VersionFileTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir_.filePath(name); }
  QString write(const QString& name, const QByteArray& content) {
    writeFile(path(name), content);
    return path(name);
  }
  QStringList entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir_;
};

TEST_F(VersionFileTest, HeaderWriteReplacesTheWholeContentInTheFilesOwnForm) {
  const struct {
    const char* name;
    QByteArray before;
    QByteArray after;
  } cases[] = {
      {"other definitions go", "#pragma once\n#define OTHER 1\n#define INTVER 1\n",
       "#pragma once\n#define INTVER 2.0\n#define STRVER \"2.0\\0\"\n"},
      {"CR LF and the mark stay", "\xEF\xBB\xBF#define INTVER 1\r\n#define STRVER \"1\\0\"\r\n",
       "\xEF\xBB\xBF#pragma once\r\n#define INTVER 2.0\r\n#define STRVER \"2.0\\0\"\r\n"},
      {"empty stays empty", "", ""},
  };
  for (const auto& c : cases) {
    const QString file = write("version.h", c.before);
    HVersionFileParser parser;
    ASSERT_EQ(0, parser.writeVersion(file, "2.0")) << c.name;
    EXPECT_EQ(c.after, readFile(file)) << c.name;
    QString version;
    ASSERT_EQ(0, parser.readVersion(file, version));
    EXPECT_EQ(c.after.isEmpty() ? "" : "2.0", version) << c.name;
  }
  EXPECT_EQ(QStringList{"version.h"}, entries());
}

TEST_F(VersionFileTest, NetWriteChangesOnlyTheTwoBlocks) {
  // CR LF, the byte-order mark, a byte that is not UTF-8 (a Latin-1 copyright sign)
  // and everything around the blocks come back byte for byte.
  const QByteArray before =
      "\xEF\xBB\xBFusing System.Reflection;\r\n"
      "// \xA9 2024 Example\r\n"
      "[assembly: AssemblyTitle(\"App\")]\r\n"
      "[assembly:AssemblyVersion( \"1.0.0.0\" )]  // kept comment\r\n"
      "[assembly: AssemblyFileVersion(\"1.0.*\")]\r\n"
      "[assembly: AssemblyVersion(\"second\")]\r\n";
  const QByteArray after =
      "\xEF\xBB\xBFusing System.Reflection;\r\n"
      "// \xA9 2024 Example\r\n"
      "[assembly: AssemblyTitle(\"App\")]\r\n"
      "[assembly: AssemblyVersion(\"2.5.0.1209\")]  // kept comment\r\n"
      "[assembly: AssemblyFileVersion(\"2.5.0.1209\")]\r\n"
      "[assembly: AssemblyVersion(\"second\")]\r\n";
  const QString file = write("AssemblyInfo.cs", before);
  NetVersionFileParser parser;
  ASSERT_EQ(0, parser.writeVersion(file, "2.5.0.1209"));
  EXPECT_EQ(after, readFile(file));
  EXPECT_EQ(QStringList{"AssemblyInfo.cs"}, entries());

  const QByteArray onlyAssembly = "[assembly: AssemblyVersion(\"1\")]\n";
  write("Only.cs", onlyAssembly);
  ASSERT_EQ(0, parser.writeVersion(path("Only.cs"), "2"));
  EXPECT_EQ("[assembly: AssemblyVersion(\"2\")]\n", readFile(path("Only.cs")));
  QString assembly;
  QString fileVersion = "old";
  ASSERT_EQ(0, parser.readVersion(path("Only.cs"), assembly, fileVersion));
  EXPECT_EQ("2", assembly);
  EXPECT_EQ("", fileVersion);
}

TEST_F(VersionFileTest, FilesThatCannotBeReadOrReplacedGive20AndStayAsTheyWere) {
  ScopedLogCapture capture;
  const QString missing = path("missing.h");
  QString version = "old";
  QString fileVersion = "old";
  EXPECT_EQ(20, HVersionFileParser().readVersion(missing, version));
  EXPECT_EQ("", version);
  EXPECT_EQ(20, NetVersionFileParser().readVersion(dir_.path(), version, fileVersion));
  EXPECT_EQ(20, HVersionFileParser().writeVersion("/proc/version", "1"));
  EXPECT_EQ(20, NetVersionFileParser().writeVersion(missing, "1"));
  EXPECT_EQ(QStringList({
                "Failed to open file: '" + missing + "'",
                "Failed to open file: '" + dir_.path() + "'. It is not a regular file.",
                "Failed to open file: '/proc/version'",
            }),
            capture.log().texts().mid(0, 3));
  const QString reason = capture.log().texts().value(3);
  EXPECT_TRUE(reason.startsWith("Cannot replace '/proc/version': ")) << qPrintable(reason);
  EXPECT_EQ("HVersionFileParser", capture.log().entries.front().tag);
  EXPECT_EQ("NetVersionFileParser", capture.log().entries.back().tag);
  EXPECT_FALSE(QFile::exists(missing));
}

// A header with two names is written itself; when even its old text cannot be written
// back, the reason says so.
TEST_F(VersionFileTest, AFailedWriteThatLeftNeitherTextSaysSo) {
  const QString header = path("version.h");
  writeFile(header, "#define INTVER 1\n");
  ASSERT_EQ(0, ::link(header.toLocal8Bit().constData(), path("again.h").toLocal8Bit().constData()));
  ScopedLogCapture capture;
  {
    const auto space = testing_support::ScopedDiskSpace::failingAfter(2);
    EXPECT_EQ(20, HVersionFileParser().writeVersion(header, "2"));
  }
  EXPECT_EQ("Cannot replace '" + header + "': No space left on device; its old text could not be put back.",
            capture.log().texts().value(1));
}

}  // namespace
