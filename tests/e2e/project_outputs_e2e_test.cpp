// Project outputs copied by the real program: -build groups of files projects, their
// dependences as child tasks, and the libs element.

#include "varkel_run.h"

#include <gtest/gtest.h>

#include <QDirIterator>

namespace {

QString examples() {
  return QFileInfo(QStringLiteral(VARKEL_TEST_DATA_DIR "/../../examples/outputs")).absoluteFilePath();
}

// Every file below dir as "path=content", sorted; an executable's path ends in "*".
QStringList filesBelow(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    const QString content = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : "?";
    out << QDir(dir).relativeFilePath(path) + (QFileInfo(path).isExecutable() ? "*" : "") + "=" + content;
  }
  out.sort();
  return out;
}

TEST(ProjectOutputsEndToEnd, TheExampleIsDeliveredFromTheCommandLine) {
  const QStringList expected = {
      "bin/pack*=#!/bin/sh\necho \"pack 1.0\"",
      "include/core.h=int core();",
      "include/core/detail.h=namespace core { namespace detail {} }",
      "lib/libpackd.so=debug library",
      "share/doc/README.txt=Read me first.",
      "share/doc/guide/intro.txt=How to use pack.",
  };
  const QStringList common = {"-pmanifest", examples() + "/varkel.xml", "-properties",
                              examples() + "/outputs.properties"};
  const struct {
    const char* name;
    QStringList group;
  } cases[] = {
      {"options after the names", {"-build", "pack", "-output", "delivery", "-config", "Debug"}},
      {"options before the names", {"-build", "-output", "delivery", "-config", "Debug", "pack"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    const RunResult r = v.run(common + c.group);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
    EXPECT_EQ(filesBelow(v.path("delivery")), expected) << "relative to the program's directory";
    EXPECT_TRUE(r.logHas("Condition is false.\n    Condition template: ''${pack.with.extra}' == 'yes''."))
        << "extra is not taken";
    EXPECT_TRUE(r.logHas("Condition is false. \n    File set dir: win. \n")) << "the Windows set is skipped";
  }
}

TEST(ProjectOutputsEndToEnd, LibsCopiesOnceAndSaysSo) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml",
             "<tasks>\n"
             "  <libs name='core' output='${this.dir}/out' filesetids='headers'/>\n"
             "  <libs name='Core' output='${this.dir}/out' filesetids=' headers,,headers' resultvar='second'/>\n"
             "  <echo message='second: ${second}'/>\n"
             "</tasks>");
  const RunResult r = v.run({"-pmanifest", examples() + "/varkel.xml", "-job", "job.xml"});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_EQ(filesBelow(v.path("out")),
            QStringList({"include/core.h=int core();", "include/core/detail.h=namespace core { namespace detail {} }"}));
  EXPECT_TRUE(r.logHas("[CopyProjectFiles] This project has been already processed. \r\n"
                       "    Parent task IDs: ''.\r\n    Parent projects: ''.\r\n    Project name: 'Core'.\r\n"
                       "    Output directory: '" + v.path("out") + "'.\r\n    Configuration: ''.\r\n"
                       "    Fileset IDs: 'headers'.\r\n    Task ID: 2\r\n"));
  EXPECT_TRUE(r.logHas("[Echo] second: 0\r\n"));
}

TEST(ProjectOutputsEndToEnd, AMissingProjectEndsTheRunBeforeAnyTask) {
  VarkelRun v;
  ASSERT_READY(v);
  v.writeJob("job.xml", "<tasks><echo message='not reached'/></tasks>");
  const RunResult r =
      v.run({"-pmanifest", examples() + "/varkel.xml", "-job", "job.xml", "-build", "pack", "missing"});
  EXPECT_EQ(r.exitCode, 400 & 0xff) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Mgr] [PrepareCmdTasks] Project with name 'missing' not found\r\n"));
  EXPECT_TRUE(r.logHas("[Mgr] [Start] Failed to prepare 'cmd' tasks. Error: 400\r\n"));
  EXPECT_FALSE(r.logHas("not reached"));
  EXPECT_FALSE(QFileInfo::exists(v.path("delivery")));
}

}  // namespace
