#include "platform/whole_file.h"
#include "tasks/task_find_in_file.h"
#include "tasks/task_print_tasks.h"
#include "tasks/task_print_vars.h"
#include "tasks/task_write_file.h"
#include "task_test_env.h"
#include "fake_disk.h"

#include <QFileInfo>

#include <cerrno>
#include <unistd.h>
#include <vector>

using task_test_env::readFile;
using task_test_env::writeFile;

namespace {

class TextFileTasksTest : public task_test_env::TaskTest {
 protected:
  int run(ITask& task, std::initializer_list<std::pair<const char*, QString>> attributes) {
    for (const auto& [key, value] : attributes) EXPECT_EQ(0, task.getPropertiesSetter()->setString(key, value));
    task.setResultVar("res");
    capture_.clear();
    return start(task);
  }
  bool logged(const QString& text) const { return capture_.log().contains(text); }
};

TEST_F(TextFileTasksTest, FindInFile) {
  writeFile(path("f.txt"), QByteArray("first Line\r\nsecond") + '\0' + "hidden after a NUL");
  ASSERT_EQ(0, vars_.set("word", "line"));
  const struct {
    const char* name;
    QString text;
    const char* caseInsensitive;
    const char* asRegExp;
    const char* found;
  } cases[] = {
      {"plain, case differs", "${word}", "", "", "false"},
      {"plain, ignoring case", "${word}", "yes", "", "true"},
      {"regular expression", "f.rst\\s+L", "", "true", "true"},
      {"regular expressions ignore caseinsensitive", "first line", "true", "true", "false"},
      {"line ends are read as line feeds", "Line\\nsecond$", "", "1", "true"},
      {"an invalid expression matches nothing", "(", "", "true", "false"},
      {"a NUL ends the text", "hidden", "", "", "false"},
  };
  TaskFindInFile find(1, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(0, vars_.set("found", "stale"));
    EXPECT_EQ(0, run(find, {{"file", path("f.txt")}, {"text", c.text}, {"caseinsensitive", c.caseInsensitive},
                            {"asregexp", c.asRegExp}, {"valuevar", " found "}}));
    EXPECT_EQ(c.found, var("found"));
    EXPECT_EQ("0", var("res"));
  }
  EXPECT_EQ("Try to find in the file. \r\n"
            "    File: '" + path("f.txt") + "'.\r\n"
            "    Open existing: ''.\r\n"
            "    Text: 'hidden'.\r\n"
            "    Case insensitive: ''.\r\n"
            "    As regular expression: ''.\r\n"
            "    Values variable: 'found'.\r\n"
            "    Task ID: 1",
            capture_.log().entries.front().text);
}

TEST_F(TextFileTasksTest, FindInFileWithoutATextOrAFile) {
  TaskFindInFile find(2, nullptr);
  ASSERT_EQ(0, vars_.set("found", "stale"));
  EXPECT_EQ(0, run(find, {{"file", path("missing.txt")}, {"text", "x"}, {"valuevar", "found"}}));
  EXPECT_EQ("stale", var("found"));
  EXPECT_TRUE(logged("File '" + path("missing.txt") + "' not found! Task ID: 2"));
  EXPECT_EQ(logger::LogWarning, capture_.log().entries.back().level);

  EXPECT_EQ(72, run(find, {{"openExisting", "yes"}}));
  EXPECT_EQ("stale", var("found"));
  EXPECT_EQ("File '" + path("missing.txt") + "' not found! Task ID: 2", capture_.log().entries.back().text);
  EXPECT_EQ(logger::LogError, capture_.log().entries.back().level);

  EXPECT_EQ(71, run(find, {{"file", ""}}));
  EXPECT_TRUE(logged("File not defined! Task ID: 2"));

  EXPECT_EQ(0, run(find, {{"text", " "}}));
  EXPECT_EQ("false", var("found"));
  EXPECT_TRUE(logged("Text to search is not defined. Task ID: 2"));

  // Nothing but a regular file is opened: a FIFO that nobody writes would block for ever.
  ASSERT_TRUE(testing_support::makeFifo(path("fifo")));
  for (const QString& notRegular : {dir_.path(), path("fifo")}) {
    SCOPED_TRACE(notRegular.toStdString());
    EXPECT_EQ(20, run(find, {{"file", notRegular}, {"text", "x"}}));
    EXPECT_TRUE(logged("Failed to open the file '" + notRegular + "'! It is not a regular file. Task ID: 2"));
  }
}

TEST_F(TextFileTasksTest, WriteFile) {
  TaskWriteFile write(3, nullptr);
  ASSERT_EQ(0, vars_.set("v", "B"));
  const QString file = path("out.txt");
  const struct {
    const char* name;
    std::vector<QString> items;
    const char* truncate;
    QByteArray expected;
  } cases[] = {
      {"creates the file, items expanded and joined as they are", {"a", " ${v} "}, "", "a B "},
      {"appends", {"line\n"}, "", "a B line\n"},
      {"truncates; a NUL ends an item", {QString("x") + QChar(0) + "y", "z"}, "true", "xz"},
      {"no items leave the file as it was", {}, "", "xz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(0, write.getPropertiesSetter()->setStringList("text", c.items));
    EXPECT_EQ(0, run(write, {{"file", file}, {"truncate", c.truncate}}));
    EXPECT_EQ(c.expected, readFile(file));
  }
  EXPECT_EQ("Try to write into file. \r\n"
            "    File: '" + file + "'.\r\n"
            "    Open existing: ''.\r\n"
            "    Truncate: ''.\r\n"
            "    Create new: ''.\r\n"
            "    Text items to write: 0.\r\n"
            "    Task ID: 3",
            capture_.log().entries.front().text);

  EXPECT_EQ(73, run(write, {{"createNew", "yes"}, {"openExisting", "yes"}}));
  EXPECT_TRUE(logged("File '" + file + "' already exists! Task ID: 3"));
  EXPECT_EQ("xz", readFile(file));
  EXPECT_EQ(72, run(write, {{"file", path("new.txt")}}));
  EXPECT_TRUE(logged("File '" + path("new.txt") + "' not found! Task ID: 3"));
  EXPECT_FALSE(QFileInfo::exists(path("new.txt")));
  EXPECT_EQ(71, run(write, {{"file", ""}}));
  EXPECT_TRUE(logged("File not defined! Task ID: 3"));
  EXPECT_EQ(20, run(write, {{"file", dir_.path()}, {"openExisting", ""}, {"createNew", ""}}));
  EXPECT_TRUE(logged("Failed to open the file '" + dir_.path() + "'! " + platform::fileErrorText(EISDIR) +
                     ". Task ID: 3"));
}

// A device is written in place, truncating or not: it has no content to keep, and it
// stays the device.
TEST_F(TextFileTasksTest, WriteFileReportsAFailedWriteWithItsReason) {
  TaskWriteFile write(4, nullptr);
  ASSERT_EQ(0, write.getPropertiesSetter()->setStringList("text", {"lost on a full disk"}));
  for (const char* truncate : {"yes", "no"}) {
    SCOPED_TRACE(truncate);
    EXPECT_EQ(20, run(write, {{"file", "/dev/full"}, {"truncate", truncate}}));
    EXPECT_TRUE(logged("Failed to write the file '/dev/full'! " + platform::fileErrorText(ENOSPC) + ". Task ID: 4"));
    EXPECT_EQ("20", var("res"));
    EXPECT_FALSE(QFileInfo("/dev/full").isFile());
  }
}

// A file with two names is written itself; when even its old text cannot be written
// back, the line says so.
TEST_F(TextFileTasksTest, WriteFileSaysWhenAFailedWriteLeftNeitherText) {
  TaskWriteFile write(5, nullptr);
  writeFile(path("f.txt"), "old\n");
  ASSERT_TRUE(QFile::link(path("f.txt"), path("link.txt")));
  ASSERT_EQ(0, write.getPropertiesSetter()->setStringList("text", {"new text, longer than the old"}));
  ASSERT_EQ(0, ::link(path("f.txt").toLocal8Bit().constData(), path("g.txt").toLocal8Bit().constData()));
  const auto space = testing_support::ScopedDiskSpace::failingAfter(2);
  EXPECT_EQ(20, run(write, {{"file", path("link.txt")}, {"truncate", "yes"}}));
  EXPECT_TRUE(logged("Failed to write the file '" + path("link.txt") + "'! " + platform::fileErrorText(ENOSPC) +
                     "; its old text could not be put back. Task ID: 5"))
      << qPrintable(capture_.log().texts().join('\n'));
}

TEST_F(TextFileTasksTest, PrintVarsPrintsATable) {
  VariablesMgr vars;
  VariableFlags readOnly;
  readOnly.readOnly = true;
  ASSERT_EQ(0, vars.set("symbol.CRLF", "\r\n", readOnly));
  ASSERT_EQ(0, vars.set("b.var", "value b"));
  ASSERT_EQ(0, vars.set("a.var", " spaced ", readOnly));
  const QString longName = QString("n").repeated(50);
  ASSERT_EQ(0, vars.set(longName, "long"));
  TaskPrintVars print(5, nullptr);
  ASSERT_EQ(0, print.getPropertiesSetter()->setString("file", " " + path("vars.txt") + " "));
  print.setResultVar("res");
  ASSERT_EQ(0, vars.set("res", "stale"));
  capture_.clear();
  EXPECT_EQ(0, print.start(&expander_, &vars, &vars, nullptr, nullptr));
  const QString expected =
      "Variables list:\n\n"
      "-----------------------------                 --------   -----------------------------\n"
      "Variable Name                                 Constant   Variable Value\n"
      "-----------------------------                 --------   -----------------------------\n"
      "a.var                                         yes         spaced \n"
      "b.var                                         no         value b\n" +
      longName + " no         long\n"
      "res                                           no         stale\n"
      "symbol.CRLF                                   yes        \n"
      "\n";
  EXPECT_EQ(expected.toUtf8(), readFile(path("vars.txt")));
  ASSERT_EQ(1u, capture_.log().entries.size());
  EXPECT_EQ(expected, capture_.log().entries[0].text);
  EXPECT_EQ("PrintVars", capture_.log().entries[0].tag);
  EXPECT_EQ(logger::LogInfo, capture_.log().entries[0].level);
  EXPECT_EQ("0", [&] {
    QString v;
    EXPECT_EQ(0, vars.get("res", v));
    return v;
  }());

  // A file that cannot be written: an error line, the listing still in the log.
  ASSERT_EQ(0, print.getPropertiesSetter()->setString("file", path("missing/vars.txt")));
  capture_.clear();
  EXPECT_EQ(0, print.start(&expander_, &vars, &vars, nullptr, nullptr));
  EXPECT_TRUE(logged("Failed to open file: '" + path("missing/vars.txt") + "'. Task ID: 5"));
  EXPECT_TRUE(capture_.log().containsPart("Variables list:"));
}

TEST_F(TextFileTasksTest, PrintTasksDoesNothing) {
  TaskPrintTasks print(6, nullptr);
  ASSERT_EQ(0, vars_.set("res", "stale"));
  EXPECT_EQ(0, run(print, {}));
  EXPECT_EQ("stale", var("res"));
  EXPECT_TRUE(capture_.log().entries.empty());
}

}  // namespace
