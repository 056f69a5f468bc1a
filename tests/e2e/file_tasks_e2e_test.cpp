// The file and text-file tasks run by the real program: the job of tests/data/file_tasks
// on a source tree in a temporary directory, and the example job of examples/files.

#include "small_disk.h"
#include "varkel_run.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Every entry below dir, relative, sorted; directories end in "/".
QStringList treeOf(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    out << it.filePath().mid(dir.size() + 1) + (it.fileInfo().isDir() ? "/" : "");
  }
  out.sort();
  return out;
}

QString line(const QString& name, const QString& constant, const QString& value) {
  return name.leftJustified(45) + " " + constant.leftJustified(10) + " " + value + "\n";
}

QString row(const QString& name, bool readOnly, const QString& value) {
  return line(name, readOnly ? "yes" : "no", value);
}

TEST(FileTasksEndToEnd, TheJobCopiesDeletesRenamesWritesFindsAndPrints) {
  VarkelRun v;
  ASSERT_READY(v);
  v.setEnv("HOME", v.path("home"));
  v.write("job/job.xml", QString::fromUtf8(testing_support::readFile(VARKEL_TEST_DATA_DIR "/file_tasks/job.xml")));
  for (const char* file : {"app.dll", "App2.DLL", "readme.txt", "main.obj", "lib/core.dll", "lib/core.OBJ",
                           "lib/debug/cored.dll", "lib/debug/cored.obj", "docs/guide.txt"})
    v.write(QString("job/src/") + file, file);
  v.write("job/out/bin/app.dll", "old");

  const RunResult r = v.runJob(v.path("job/job.xml"));
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);

  // "*.dll" minus "*/debug/*", an existing target kept: overwrite is off.
  EXPECT_EQ((QStringList{"App2.DLL", "app.dll", "lib/", "lib/core.dll"}), treeOf(v.path("job/out/bin")));
  EXPECT_EQ("old", v.read("job/out/bin/app.dll"));
  EXPECT_TRUE(r.logHas("[TaskCopyFiles] File '" + v.path("job/out/bin/app.dll") + "' already exists."));
  // "*.obj" went at every depth, in any case; the directories stayed.
  EXPECT_EQ((QStringList{"App2.DLL", "app.dll", "docs/", "docs/guide.txt", "lib/", "lib/core.dll", "lib/debug/",
                         "lib/debug/cored.dll", "readme.txt"}),
            treeOf(v.path("job/src")));
  // Copied and renamed onto itself: untouched.
  EXPECT_EQ("readme.txt", v.read("job/src/readme.txt"));
  EXPECT_TRUE(r.logHas("[Delete] Refused to remove the directory '" + v.path("job") +
                       "': it is or holds the job file's directory. Task ID: "))
      << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Delete] Refused to remove the directory '/tmp': it is or holds "));
  EXPECT_TRUE(QFileInfo(v.path("job/job.xml")).isFile());
  EXPECT_EQ("built with *.dll\nlibraries copied: 0", v.read("job/out/notes.txt"));

  const QStringList run = v.read("job/out/run.txt").split('|');
  ASSERT_EQ(6, run.size()) << qPrintable(v.read("job/out/run.txt"));
  const QString program = QFileInfo(v.path("varkel")).canonicalFilePath();
  const QString rule = "-----------------------------";
  const QString expected =
      "Variables list:\n\n" + line(rule, "--------", rule) + line("Variable Name", "Constant", "Variable Value") +
      line(rule, "--------", rule) +
      row("copy.self", false, "0") + row("copy.tree", false, "0") + row("current.time", true, run[0]) +
      row("delete.obj", false, "0") + row("delete.own", false, "322") + row("delete.tmp", false, "322") +
      row("empty", false, "") + row("find.notes", false, "0") + row("found", false, "true") +
      row("home.dir", true, v.path("home")) + row("interrupt.tasks", false, "false") +
      row("interrupt.tasks.on.error", false, "true") + row("lib.pattern", false, "*.dll") +
      row("log.filter.copy.files", false, "1") + row("log.filter.task.build", false, "1") +
      row("log.filter.task.copy", false, "1") + row("log.filter.task.details", false, "1") +
      row("log.filter.task.manager", false, "1") + row("log.level", false, "6") +
      row("play.sound.when.complete", false, "true") + row("rename.self", false, "0") +
      row("show.message.when.complete", false, "true") + row("symbol.cr", true, "") +
      row("symbol.crlf", true, "") + row("symbol.left.angle.bracket", true, "<") + row("symbol.lf", true, "") +
      row("symbol.quote", true, "\"") + row("symbol.right.angle.bracket", true, ">") +
      row("symbol.squote", true, "'") + row("this.computer.name", true, run[2]) +
      row("this.dir", true, QFileInfo(program).path()) + row("this.domain.name", true, run[4]) +
      row("this.file", true, program) + row("this.user.name", true, run[3]) + row("this.user.sid", true, run[5]) +
      row("version.build.number", true, run[1]) + row("write.notes", false, "0") + "\n";
  EXPECT_EQ(expected, v.read("job/out/vars.txt"));
  EXPECT_TRUE(r.logHas("[PrintVars] " + expected.left(40)));
}

// A disk that fills up while writefile writes: a truncating write leaves the old file
// whole and keeps its mode, an append is cut back to where it began, a file the task
// would have made is not there, and no temporary file stays behind. Each failure is 20,
// with the file and the system's reason.
TEST(FileTasksEndToEnd, WriteFileOnAFullDiskLeavesEveryFileAsItWas) {
  VarkelRun v;
  ASSERT_READY(v);
  if (!small_disk::runOnSmallDisk(v, 64)) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  v.setEnv("LC_ALL", "C");
  const QFile::Permissions oldMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
  const QFile::Permissions smallMode = oldMode | QFile::ExeOwner | QFile::ExeGroup;
  v.write("seed/old.txt", "old content\n");
  v.write("seed/append.txt", "kept\n");
  v.write("seed/small.txt", "before\n");
  ASSERT_TRUE(QFile::setPermissions(v.path("seed/old.txt"), oldMode));
  ASSERT_TRUE(QFile::setPermissions(v.path("seed/small.txt"), smallMode));
  const QString big = QString("more than the disk holds\n").repeated(8 * 1024);
  v.writeJob("job.xml", v.inDir("<tasks>\n"
                                "<writefile file='DIR/disk/old.txt' truncate='yes' resultvar='r1' failonerror='no'>"
                                "<text>" + big + "</text></writefile>\n"
                                "<writefile file='DIR/disk/append.txt' resultvar='r2' failonerror='no'>"
                                "<text>" + big + "</text></writefile>\n"
                                "<writefile file='DIR/disk/new.txt' resultvar='r3' failonerror='no'>"
                                "<text>" + big + "</text></writefile>\n"
                                "<writefile file='DIR/disk/small.txt' truncate='yes' resultvar='r4'>"
                                "<text>fits</text></writefile>\n"
                                "<echo message='results ${r1} ${r2} ${r3} ${r4}'/>\n"
                                "</tasks>"));
  const RunResult r = v.runJob();
  ASSERT_NE(small_disk::kNoDisk, r.exitCode) << qPrintable(r.err);
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] results 20 20 20 0\r\n")) << qPrintable(r.log);
  for (const char* file : {"old.txt", "append.txt", "new.txt"})
    EXPECT_TRUE(r.logHas("[WriteFile] Failed to write the file '" + v.path(QString("disk/") + file) +
                         "'! No space left on device. Task ID: "))
        << file;
  EXPECT_EQ((QStringList{"append.txt", "old.txt", "small.txt"}), treeOf(v.path("after")));
  EXPECT_EQ("old content\n", v.read("after/old.txt"));
  EXPECT_EQ("kept\n", v.read("after/append.txt"));
  EXPECT_EQ("fits", v.read("after/small.txt"));
  const QFile::Permissions modeBits = smallMode | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther |
                                      QFile::WriteGroup;
  EXPECT_EQ(oldMode, QFile::permissions(v.path("after/old.txt")) & modeBits);
  EXPECT_EQ(smallMode, QFile::permissions(v.path("after/small.txt")) & modeBits);
}

TEST(FileTasksEndToEnd, TheExampleCopiesListsAndCleans) {
  VarkelRun v;
  ASSERT_READY(v);
  const RunResult r = v.runJob(QFileInfo(VARKEL_TEST_DATA_DIR "/../../examples/files/job.xml").absoluteFilePath());
  EXPECT_EQ(0, r.exitCode) << qPrintable(r.log);
  const QString work = QFileInfo(v.path("varkel")).canonicalPath() + "/files-example";
  EXPECT_TRUE(r.logHas("/tree/docs/guide.txt' was copied to '" + work + "/docs/guide.txt'.")) << qPrintable(r.log);
  EXPECT_FALSE(r.logHas("scratch.tmp' was copied"));
  EXPECT_TRUE(r.logHas("[Echo] The guide names varkel: true."));
  EXPECT_TRUE(r.logHas(work + "/docs:\nguide.txt\n")) << "the listing of the copy: " << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Delete] Directory '" + work + "' was removed."));
  EXPECT_FALSE(QFileInfo::exists(work));
}

}  // namespace
