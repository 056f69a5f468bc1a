#include "varkel_run.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;
using testing_support::writeFile;

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
  QByteArray netAfter = kNetBefore;
  netAfter.replace("AssemblyVersion(\"1.0.0.0\")", "AssemblyVersion(\"2.5.1.77\")");
  netAfter.replace("AssemblyFileVersion(\"1.0.0.0\")", "AssemblyFileVersion(\"2.5.1.77\")");
  EXPECT_EQ(netAfter, readFile(v.path("src/AssemblyInfo.cs")));
  EXPECT_TRUE(r.logHas("[VersionFileWrite] Version has been modified from '2.5.1.77' to '" + stamped +
                       "'. Task ID: 1\r\n"));
  EXPECT_FALSE(QFile::exists(v.path("jobs/version.h")));
  EXPECT_EQ(QStringList{"AssemblyInfo.cs"}, QDir(v.path("src")).entryList(QDir::Files | QDir::Hidden));
}

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
       "[HVersionFileParser] Cannot read 'adir': not a regular file.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    QDir().mkdir(v.path("adir"));
    v.writeJob("job.xml", QString("<tasks>%1<echo message=\"unreached\"/></tasks>").arg(c.task));
    const RunResult r = v.runJob();
    EXPECT_EQ(r.exitCode, c.code) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(c.line)) << qPrintable(r.log);
    EXPECT_FALSE(r.logHas("[Echo] unreached"));
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

}  // namespace
