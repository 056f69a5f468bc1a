// File names that are not UTF-8 (Latin-1 here) copied, matched, renamed and deleted by
// the real program as the bytes they are, and shown readably in the log.

#include "raw_tree.h"
#include "varkel_run.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNamesEndToEnd, NamesThatAreNotUtf8AreTakenAsTheirBytes) {
  VarkelRun v;
  ASSERT_READY(v);
  const QByteArray src = QFile::encodeName(v.path("src"));
  ASSERT_TRUE(raw_tree::writeBelow(src, {}, "caf\xe9.txt", "latin"));
  ASSERT_TRUE(raw_tree::writeBelow(src, {}, "plain.txt", "plain"));
  ASSERT_TRUE(raw_tree::writeBelow(src, {"sub\xff"}, "\xe9t\xe9.txt", "summer"));
  // The job names them through process variables, which keep their bytes too.
  v.setEnv("ODD_FILE", QFile::decodeName("caf\xe9.txt"));
  v.setEnv("ODD_FOLDER", QFile::decodeName("sub\xff"));
  v.setEnv("NEW_NAME", QFile::decodeName("na\xefve.txt"));
  v.writeFilesProject("proj", v.path("src"));
  v.writeJob("job.xml", v.inDir("<tasks>\n"
                                "<getsysvar name='ODD_FILE' valuevar='odd'/>\n"
                                "<getsysvar name='ODD_FOLDER' valuevar='odddir'/>\n"
                                "<getsysvar name='NEW_NAME' valuevar='new'/>\n"
                                "<copy todir='DIR/out'><fileset dir='DIR/src'><include name='*'/></fileset></copy>\n"
                                "<libs name='proj' output='DIR/libout' filesetids='all'/>\n"
                                "<rename src='DIR/out/${odd}' newname='cafe.txt'/>\n"
                                "<rename src='DIR/out/plain.txt' newname='${new}'/>\n"
                                "<rename src='DIR/out/${odddir}' newname='subdir'/>\n"
                                "<delete><fileset dir='DIR/src'><include name='*caf?.txt'/></fileset></delete>\n"
                                "<delete dir='DIR/src/${odddir}'/>\n"
                                "</tasks>"));

  const RunResult r = v.run({"-pmanifest", "varkel.xml", "-job", "job.xml"});
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);

  EXPECT_EQ((raw_tree::Names{"cafe.txt", "na\xefve.txt", "subdir/"}), raw_tree::entriesBelow(src + "/../out"));
  EXPECT_EQ("latin", raw_tree::readBelow(src + "/../out", {}, "cafe.txt"));
  EXPECT_EQ("plain", raw_tree::readBelow(src + "/../out", {}, "na\xefve.txt"));
  EXPECT_EQ("summer", raw_tree::readBelow(src + "/../out", {"subdir"}, "\xe9t\xe9.txt"));
  EXPECT_EQ((raw_tree::Names{"caf\xe9.txt", "plain.txt", "sub\xff/"}), raw_tree::entriesBelow(src + "/../libout"));
  EXPECT_EQ("summer", raw_tree::readBelow(src + "/../libout", {"sub\xff"}, "\xe9t\xe9.txt"));
  EXPECT_EQ(raw_tree::Names{"plain.txt"}, raw_tree::entriesBelow(src)) << "the pattern matched the byte";

  // Each byte that is not UTF-8 reads as its value.
  EXPECT_TRUE(r.logHas("[TaskCopyFiles] File '" + v.path("src/caf\\xE9.txt") + "' was copied to '" +
                       v.path("out/caf\\xE9.txt") + "'."))
      << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Utils.CopyFiles] File '" + v.path("src/sub\\xFF/\\xE9t\\xE9.txt") + "' was copied to '" +
                       v.path("libout/sub\\xFF/\\xE9t\\xE9.txt") + "'"));
  EXPECT_TRUE(r.logHas("[Rename] File '" + v.path("out/plain.txt") + "' was renamed to '" +
                       v.path("out/na\\xEFve.txt") + "'."));
  EXPECT_TRUE(r.logHas("[Delete] File '" + v.path("src/caf\\xE9.txt") + "' was removed."));
  EXPECT_FALSE(r.log.contains(QChar(0xFFFD)) || r.log.contains("caf?")) << qPrintable(r.log);
}

TEST(FileNamesEndToEnd, AJobFileNamedOnTheCommandLineByItsBytesIsFound) {
  VarkelRun v;
  ASSERT_READY(v);
  const QByteArray dir = QFile::encodeName(v.path("jobs"));
  ASSERT_TRUE(raw_tree::writeBelow(dir, {"\xe9t\xe9"}, "job.xml",
                                   "<project><tasks><echo message='found'/></tasks></project>"));
  const RunResult r = v.run({"-job", QFile::decodeName(dir + "/\xe9t\xe9/job.xml")});
  ASSERT_EQ(0, r.exitCode) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas("[Echo] found\r\n")) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas(v.path("jobs/\\xE9t\\xE9/job.xml"))) << "the path is logged readably";
}

}  // namespace
