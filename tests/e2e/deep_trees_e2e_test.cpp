// The file tasks over a tree deeper than any path the system takes (PATH_MAX, 4 096
// bytes): 28 levels of 150-character folders.

#include "platform/directory_cursor.h"
#include "raw_tree.h"
#include "varkel_run.h"

#include <gtest/gtest.h>

namespace {

constexpr int kLevels = 28;

raw_tree::Names deepNames() {
  raw_tree::Names names;
  for (int i = 0; i < kLevels; ++i) names << QByteArray::number(i).rightJustified(3, '0').leftJustified(150, 'x');
  return names;
}

QString joined(const raw_tree::Names& names) {
  QByteArray out;
  for (const QByteArray& name : names) out += '/' + name;
  return QString::fromLatin1(out);
}

TEST(DeepTreesEndToEnd, CopyAndDeleteGoAsDeepAsTheTree) {
  const raw_tree::Names names = deepNames();
  raw_tree::Names upper = names;
  upper.removeLast();
  const struct {
    const char* name;
    const char* tasks;
    const char* target;  // where the bottom file is expected, or nullptr
    const char* gone;    // what is expected to be gone, or nullptr
  } cases[] = {
      // The second copy replaces what the first made.
      {"copy of a file set",
       "<copy todir='DIR/out'><fileset dir='DIR/deep'><include name='*.txt'/></fileset></copy>\n"
       "<copy todir='DIR/out'><fileset dir='DIR/deep'><include name='*.txt'/></fileset></copy>",
       "out", nullptr},
      {"file set of a project", "<libs name='proj' output='DIR/libout' filesetids='all'/>", "libout", nullptr},
      {"delete of a file set", "<delete><fileset dir='DIR/deep'><include name='*.txt'/></fileset></delete>", nullptr,
       "bottom"},
      {"delete of the tree", "<delete dir='DIR/deep'/>", nullptr, "deep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    const QByteArray deep = QFile::encodeName(v.path("deep"));
    ASSERT_TRUE(raw_tree::writeBelow(deep, names, "bottom.txt", "at the bottom"));
    ASSERT_TRUE(raw_tree::writeBelow(deep, upper, "upper.txt", "one above"));
    v.writeFilesProject("proj", v.path("deep"));
    v.writeJob("job.xml", v.inDir(QString("<tasks>\n") + c.tasks + "\n</tasks>"));

    const RunResult r = v.run({"-pmanifest", "varkel.xml", "-job", "job.xml"});
    EXPECT_EQ(0, r.exitCode) << qPrintable(r.log.right(3000));
    if (c.target) {
      const QByteArray target = QFile::encodeName(v.path(c.target));
      EXPECT_EQ("at the bottom", raw_tree::readBelow(target, names, "bottom.txt"));
      EXPECT_EQ("one above", raw_tree::readBelow(target, upper, "upper.txt"));
      EXPECT_TRUE(r.logHas(joined(names) + "/bottom.txt' was copied to '" + v.path(c.target) + joined(names) +
                           "/bottom.txt'"));
    }
    if (c.gone == QByteArray("bottom")) {
      EXPECT_EQ(raw_tree::Names{}, raw_tree::entriesBelow(deep, names)) << "directories stay, files go";
      EXPECT_EQ(raw_tree::Names{names.last() + '/'}, raw_tree::entriesBelow(deep, upper));
    }
    if (c.gone == QByteArray("deep")) {
      EXPECT_EQ(-1, raw_tree::openBelow(deep, {}, false));
    }
    // Deeper than the temporary directory's own removal goes.
    for (const char* dir : {"deep", "out", "libout"}) raw_tree::removeAll(v.path(dir));
  }
}

// Deeper than a walk goes (platform::kMaxWalkDepth levels below its directory), a task
// fails naming the directory where it stopped, instead of leaving files out unseen.
TEST(DeepTreesEndToEnd, PastTheBoundOfAWalkTheTaskFailsNamingTheDirectory) {
  raw_tree::Names names;
  for (int i = 0; i <= platform::kMaxWalkDepth; ++i) names << "d";
  const QString bound = QString::number(platform::kMaxWalkDepth);
  const struct {
    const char* name;
    const char* tasks;
    int result;  // the exit code holds its low 8 bits
    QString logged;
  } cases[] = {
      {"copy of a file set", "<copy todir='DIR/out'><fileset dir='DIR/deep'><include name='*'/></fileset></copy>", 74,
       "[TaskCopyFiles] Failed to copy the files of the directory 'DIR/deep" + joined(names) +
           "': it lies more than " + bound + " levels below 'DIR/deep'. Task ID: 1"},
      {"file set of a project", "<libs name='proj' output='DIR/out' filesetids='all'/>", 74,
       "[Utils.CopyFiles] Failed to copy the files of the directory 'DIR/deep" + joined(names) +
           "': it lies more than " + bound + " levels below 'DIR/deep'"},
      {"delete of a file set", "<delete><fileset dir='DIR/deep'><include name='*'/></fileset></delete>", 323,
       "[Delete] Failed to remove the files of the directory 'DIR/deep" + joined(names) + "': it lies more than " +
           bound + " levels below 'DIR/deep'. Task ID: 1"},
      {"delete of the tree", "<delete dir='DIR/deep'/>", 322, "[Delete] Failed to remove the directory 'DIR/deep'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    ASSERT_TRUE(raw_tree::writeBelow(QFile::encodeName(v.path("deep")), names, "bottom.txt", "too deep"));
    v.writeFilesProject("proj", v.path("deep"));
    v.writeJob("job.xml", v.inDir(QString("<tasks>\n") + c.tasks + "\n</tasks>"));

    const RunResult r = v.run({"-pmanifest", "varkel.xml", "-job", "job.xml"});
    EXPECT_EQ(c.result % 256, r.exitCode);
    EXPECT_TRUE(r.logHas(v.inDir(c.logged))) << qPrintable(r.log.right(2000));
    EXPECT_EQ(raw_tree::Names{}, raw_tree::entriesBelow(QFile::encodeName(v.path("out"))));
    for (const char* dir : {"deep", "out"}) raw_tree::removeAll(v.path(dir));
  }
}

}  // namespace
