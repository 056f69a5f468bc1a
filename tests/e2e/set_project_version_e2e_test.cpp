#include "varkel_run.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;

// The example, copied into the temporary directory so that the run leaves the
// repository as it was.
TEST(SetProjectVersionEndToEnd, ExampleStampsBothVersionFiles) {
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
  QByteArray net = readFile(example + "/AssemblyInfo.cs.in");
  ASSERT_EQ(1, net.count("AssemblyVersion(\"1.0.0.0\")"));
  ASSERT_EQ(1, net.count("AssemblyFileVersion(\"1.0.0.0\")"));
  net.replace("AssemblyVersion(\"1.0.0.0\")", "AssemblyVersion(\"2.4.0." + stamp + "\")");
  net.replace("AssemblyFileVersion(\"1.0.0.0\")", "AssemblyFileVersion(\"2.4.0." + stamp + "\")");
  EXPECT_EQ(net, readFile(v.path("AssemblyInfo.cs")));
  EXPECT_TRUE(r.logHas("[SetProjectVersion] Version from the list of variables: '2.4.0.17' was received. "
                       "Project: 'app'. Task ID: "))
      << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[SetProjectVersion] Version was changed. File: '" + v.path("version.h") +
                       "'. Version: '2.4.0." + stamp + "'. Project: 'app'. Task ID: "))
      << qPrintable(r.log);
}

TEST(SetProjectVersionEndToEnd, FailuresEndTheRunWithTheirCode) {
  const struct {
    const char* name;
    const char* task;
    int code;
    const char* line;
  } cases[] = {
      {"no version", "<setprojectversion projectname=\"app\" versionid=\"release\"/>", 335,
       "[SetProjectVersion] Version not defined! Task ID: 1\r\n"},
      {"no version files", "<setprojectversion projectname=\"bare\" version=\"1\"/>", 339,
       "[SetProjectVersion] Version file not defined. Error: 339. Version ID: ''. Project: 'bare'. Task ID: 1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("varkel.xml",
            "<project><solutions>\n"
            "  <solution type=\"files\" name=\"app\"><versionfiles>"
            "<versionfile file=\"version.h\" id=\"release\"/></versionfiles></solution>\n"
            "  <solution type=\"files\" name=\"bare\"/>\n"
            "</solutions></project>\n");
    v.write("version.h", "#define INTVER 1\n");
    v.writeJob("job.xml", QString("<tasks>%1<echo message=\"unreached\"/></tasks>").arg(c.task));
    const RunResult r = v.run({"-pmanifest", v.path("varkel.xml"), "-job", v.path("job.xml")});
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log);
    EXPECT_TRUE(r.logHas(c.line)) << qPrintable(r.log);
    EXPECT_FALSE(r.logHas("[Echo] unreached"));
    EXPECT_EQ("#define INTVER 1\n", v.read("version.h"));
  }
}

}  // namespace
