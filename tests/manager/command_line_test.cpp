#include "manager/command_line.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <initializer_list>
#include <optional>
#include <vector>

namespace {

// argv of the program "varkel" followed by the words.
std::vector<const char*> argsOf(std::initializer_list<const char*> words) {
  std::vector<const char*> args{"varkel"};
  args.insert(args.end(), words);
  return args;
}

CommandLine read(const std::vector<const char*>& args) {
  return readCommandLine(static_cast<int>(args.size()), args.data());
}

// A group as "names" followed by " key=value" for each option it holds, and a
// missing name list as "-".
QString describe(CmdTaskEntry entry) {
  std::vector<QString> names;
  QString text = entry.properties.getStringList(CmdTaskEntry::kProjectNames, names) == 0
                     ? QStringList(names.begin(), names.end()).join(QLatin1Char(','))
                     : QStringLiteral("-");
  for (QLatin1String key : {CmdTaskEntry::kOutput, CmdTaskEntry::kConfiguration, CmdTaskEntry::kTarget,
                            CmdTaskEntry::kPlatform}) {
    QString value;
    if (entry.properties.getString(key, value) == 0) text += QLatin1Char(' ') + key + QLatin1Char('=') + value;
  }
  return text;
}

QStringList groupsOf(const CommandLine& line) {
  QStringList groups;
  for (const CmdTaskEntry& entry : line.groups) {
    EXPECT_EQ(entry.kind, CmdTaskEntry::kBuild);
    groups << describe(entry);
  }
  return groups;
}

TEST(CommandLine, BuildGroups) {
  struct Case {
    const char* name;
    std::vector<const char*> args;
    QStringList groups;
  };
  const Case cases[] = {
      {"two groups", argsOf({"-build", "a", "b", "-output", "out", "-build", "c"}), {"a,b output=out", "c"}},
      {"every option of a group",
       argsOf({"-build", "app", "-config", "release", "-target", "x86", "-platform", "linux"}),
       {"app configuration=release target=x86 platform=linux"}},
      {"options before the names", argsOf({"-build", "-output", "out", "a", "b"}), {"a,b output=out"}},
      {"names around an option", argsOf({"-build", "a", "-config", "debug", "b"}), {"a,b configuration=debug"}},
      {"names after a path option", argsOf({"-build", "a", "-job", "j.xml", "b"}), {"a,b"}},
      {"group without names", argsOf({"-build", "-output", "out"}), {"- output=out"}},
      {"value before any group is dropped", argsOf({"-output", "out", "x", "-build", "a"}), {"a"}},
      {"second value replaces the first", argsOf({"-build", "a", "-output", "x", "-output", "y"}), {"a output=y"}},
      {"option without a value consumes nothing", argsOf({"-build", "a", "-output", "-build", "b"}), {"a", "b"}},
      {"option as the last argument", argsOf({"-build", "a", "-target"}), {"a"}},
      {"unknown option is passed over", argsOf({"-build", "a", "-Output", "b"}), {"a,b"}},
      {"names keep their order and letters", argsOf({"-build", "Zeta", "alpha", "Zeta"}), {"Zeta,alpha,Zeta"}},
      {"empty argument is a name", argsOf({"-build", ""}), {""}},
      {"no arguments", argsOf({}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(groupsOf(read(c.args)), c.groups);
  }
}

TEST(CommandLine, PathsAsGiven) {
  using Path = std::optional<QString>;
  struct Case {
    const char* name;
    std::vector<const char*> args;
    Path job, properties, manifest;
  };
  const Case cases[] = {
      {"each path option", argsOf({"-job", "j.xml", "-properties", "p", "-pmanifest", "sub\\rules.xml"}), "j.xml", "p",
       "sub\\rules.xml"},
      {"later one wins", argsOf({"-job", "a.xml", "-job", "${root}/b.xml"}), "${root}/b.xml", {}, {}},
      {"option takes no option as value", argsOf({"-job", "-properties", "p"}), {}, "p", {}},
      {"option as the last argument", argsOf({"-job"}), {}, {}, {}},
      {"other letter case is no option", argsOf({"-Job", "x"}), {}, {}, {}},
      {"empty value is a value", argsOf({"-properties", ""}), {}, "", {}},
      {"first argument is the program", {"-job", "x"}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CommandLine line = read(c.args);
    EXPECT_EQ(line.jobFile, c.job);
    EXPECT_EQ(line.propertiesFile, c.properties);
    EXPECT_EQ(line.manifestFile, c.manifest);
    EXPECT_TRUE(line.groups.empty());
  }
}

TEST(CommandLine, Utf8AndNullArguments) {
  const std::vector<const char*> args{"varkel", "-build", "caf\xc3\xa9", nullptr, "-job", nullptr, "b"};
  const CommandLine line = read(args);
  EXPECT_EQ(groupsOf(line), QStringList{QString::fromUtf8("caf\xc3\xa9,b")});
  EXPECT_FALSE(line.jobFile);
  EXPECT_TRUE(readCommandLine(3, nullptr).groups.empty());
}

}  // namespace
