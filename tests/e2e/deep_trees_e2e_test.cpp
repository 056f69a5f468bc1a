// The file tasks over a tree deeper than any path the system takes (PATH_MAX, 4 096
// bytes): 28 levels of 150-character folders.

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
      {"file set of a project", "<libs name='deep' output='DIR/libout' filesetids='all'/>", "libout", nullptr},
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
    v.write("varkel.xml", "<?xml version='1.0'?>\n<project><scan><targets><target path='proj'/></targets></scan>"
                          "</project>\n");
    v.write("proj/varkel.xml", v.inDir("<?xml version='1.0'?>\n<project><solutions><solution type='files' "
                                       "name='deep'><output><fileset id='all' dir='DIR/deep'><include name='*'/>"
                                       "</fileset></output></solution></solutions></project>\n"));
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

}  // namespace
