#include "varkel_run.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;
using testing_support::writeFile;

// A .NET file whose two version blocks, each holding 1.0.0.0, now hold version.
QByteArray withNetVersion(QByteArray text, const QByteArray& version) {
  EXPECT_EQ(1, text.count("AssemblyVersion(\"1.0.0.0\")"));
  EXPECT_EQ(1, text.count("AssemblyFileVersion(\"1.0.0.0\")"));
  text.replace("AssemblyVersion(\"1.0.0.0\")", "AssemblyVersion(\"" + version + "\")");
  return text.replace("AssemblyFileVersion(\"1.0.0.0\")", "AssemblyFileVersion(\"" + version + "\")");
}

const QByteArray kNetBefore =
    "\xEF\xBB\xBFusing System.Reflection;\r\n"
    "\r\n"
    "[assembly: AssemblyTitle(\"Tool\")]\r\n"
    "// [assembly: AssemblyVersion(\"0.0\")]\r\n"
    "[assembly: AssemblyVersion(\"1.0.0.0\")]\r\n"
    "[assembly: AssemblyFileVersion(\"1.0.0.0\")]\r\n";

// The files are named against the current directory, not the job's.
TEST(VersionFilesEndToEnd, WriteThenReadBack) {
  VarkelRun v;
  ASSERT_READY(v);
  writeFile(v.path("version.h"), "#define INTVER 1,0\n");
  writeFile(v.path("src/AssemblyInfo.cs"), kNetBefore);
  v.writeJob("jobs/job.xml",
             "<vars><var name=\"v\" value=\"2.5.1.77\"/></vars>\n"
             "<tasks>\n"
             "  <versionfilewrite file=\"version.h\" value=\"${v}\" autostamp=\"yes\"/>\n"
             "  <versionfilewrite file=\"src\\AssemblyInfo.cs\" value=\"${v}\"/>\n"
             "  <versionfileread file=\"version.h\" valuevar=\"header.version\"/>\n"
             "  <versionfileread file=\"src/AssemblyInfo.cs\" valuevar=\"net.version\"/>\n"
             "  <echo message=\"header ${header.version}, net ${net.version}\"/>\n"
             "</tasks>");
  const RunResult r = v.runJob(v.path("jobs/job.xml"));
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);

  const QRegularExpressionMatch echoed =
      QRegularExpression("\\[Echo\\] header (2\\.5\\.1\\.[0-9]{3,4}), net 2\\.5\\.1\\.77\r\n").match(r.log);
  ASSERT_TRUE(echoed.hasMatch()) << qPrintable(r.log);
  const QByteArray stamped = echoed.captured(1).toUtf8();
  EXPECT_EQ("#pragma once\n#define INTVER " + stamped + "\n#define STRVER \"" + stamped + "\\0\"\n",
            readFile(v.path("version.h")));
  EXPECT_EQ(withNetVersion(kNetBefore, "2.5.1.77"), readFile(v.path("src/AssemblyInfo.cs")));
  EXPECT_TRUE(r.logHas("[VersionFileWrite] Version has been modified from '2.5.1.77' to '" + stamped +
                       "'. Task ID: 1\r\n"));
  EXPECT_FALSE(QFile::exists(v.path("jobs/version.h")));
  EXPECT_EQ(QStringList{"AssemblyInfo.cs"}, QDir(v.path("src")).entryList(QDir::Files | QDir::Hidden));
}

// Each failure ends a run of its own, with a project "app" that has a version file and a
// project "bare" that has none.
TEST(VersionFilesEndToEnd, FailuresEndTheRunWithTheirCode) {
  const struct {
    const char* name;
    const char* task;
    int code;
    const char* line;
  } cases[] = {
      {"no file", "<versionfileread valuevar=\"v\"/>", 71, "[VersionFileRead] File not defined! Task ID: 1\r\n"},
      {"missing", "<versionfilewrite file=\"missing.h\" value=\"1\"/>", 72,
       "[VersionFileWrite] File 'missing.h' not found. Task ID: 1\r\n"},
      {"not a regular file", "<versionfileread file=\"adir\" valuevar=\"v\"/>", 20,
       "[HVersionFileParser] Failed to open file: 'adir'. It is not a regular file.\r\n"},
      {"no version", "<setprojectversion projectname=\"app\" versionid=\"release\"/>", 335,
       "[SetProjectVersion] Version not defined! Task ID: 1\r\n"},
      {"no version files", "<setprojectversion projectname=\"bare\" version=\"1\"/>", 339,
       "[SetProjectVersion] Version file not defined. Error: 339. Version ID: ''. Project: 'bare'. Task ID: 1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    QDir().mkdir(v.path("adir"));
    v.write("varkel.xml",
            "<project><solutions>\n"
            "  <solution type=\"files\" name=\"app\"><versionfiles>"
            "<versionfile file=\"version.h\" id=\"release\"/></versionfiles></solution>\n"
            "  <solution type=\"files\" name=\"bare\"/>\n"
            "</solutions></project>\n");
    v.write("version.h", "#define INTVER 1\n");
    v.writeJob("job.xml", QString("<tasks>%1<echo message=\"unreached\"/></tasks>").arg(c.task));
    const RunResult r = v.runJob("job.xml", {"-pmanifest", v.path("varkel.xml")});
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(c.line)) << qPrintable(r.log);
    EXPECT_FALSE(r.logHas("[Echo] unreached"));
    EXPECT_EQ("#define INTVER 1\n", v.read("version.h"));
  }
}

// Root may write anywhere, but not beyond the file-size limit: the new content cannot
// be written, and the old file stays whole.
TEST(VersionFilesEndToEnd, FileThatCannotBeReplacedStaysAsItWas) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("limited.sh", "#!/bin/sh\ntrap '' XFSZ\nulimit -f 0\nexec \"$@\"\n", true);
  v.setLauncher(v.path("limited.sh"));
  const QByteArray before = "#define INTVER 1,0\n#define STRVER \"1,0\\0\"\n";
  writeFile(v.path("version.h"), before);
  v.writeJob("job.xml", "<tasks><versionfilewrite file=\"version.h\" value=\"2.0\"/></tasks>");
  const QStringList entries = QDir(v.path("")).entryList(QDir::Files | QDir::Hidden);

  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 20) << qPrintable(r.out);
  EXPECT_TRUE(r.out.contains("[HVersionFileParser] Failed to open file: 'version.h'\r\n")) << qPrintable(r.out);
  EXPECT_TRUE(r.out.contains("[VersionFileWrite] [start] Failed to update version in the file 'version.h'. "
                             "Error: 20. Task ID: 1\r\n"))
      << qPrintable(r.out);
  EXPECT_EQ(before, readFile(v.path("version.h")));
  EXPECT_EQ(entries, QDir(v.path("")).entryList(QDir::Files | QDir::Hidden));
}

// The example, copied into the temporary directory so that the run leaves the
// repository as it was.
TEST(VersionFilesEndToEnd, ExampleSetsBothVersionFilesOfItsProject) {
  VarkelRun v;
  ASSERT_READY(v);
  const QString example = QFileInfo(QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/versions")).absoluteFilePath();
  for (const char* name : {"varkel.xml", "job.xml", "version.h.in", "AssemblyInfo.cs.in"})
    ASSERT_TRUE(QFile::copy(example + "/" + name, v.path(name))) << name;

  const RunResult r = v.run({"-pmanifest", v.path("varkel.xml"), "-job", v.path("job.xml")});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
  const QRegularExpression line(
      "\\[Echo\\] Header version: (2,4,0,([0-9]{3,4}))\\. \\.NET version: 2\\.4\\.0\\.([0-9]{3,4})\\.\r\n");
  const QRegularExpressionMatch echoed = line.match(r.log);
  ASSERT_TRUE(echoed.hasMatch()) << qPrintable(r.log);
  const QByteArray header = echoed.captured(1).toUtf8();
  const QByteArray stamp = echoed.captured(2).toUtf8();
  EXPECT_EQ(stamp, echoed.captured(3).toUtf8());

  EXPECT_EQ("#pragma once\n#define INTVER " + header + "\n#define STRVER \"" + header + "\\0\"\n",
            readFile(v.path("version.h")));
  EXPECT_EQ(withNetVersion(readFile(example + "/AssemblyInfo.cs.in"), "2.4.0." + stamp),
            readFile(v.path("AssemblyInfo.cs")));
  EXPECT_TRUE(r.logHas("[SetProjectVersion] Version from the list of variables: '2.4.0.17' was received. "
                       "Project: 'app'. Task ID: "))
      << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[SetProjectVersion] Version was changed. File: '" + v.path("version.h") +
                       "'. Version: '2.4.0." + stamp + "'. Project: 'app'. Task ID: "))
      << qPrintable(r.log);
}

}  // namespace
