#include "manager/command_line.h"

#include "core/text_helpers.h"

#include <QFile>

#include <cstddef>
#include <optional>

namespace {

// The options of a -build group that take one value, and the property each fills.
struct GroupOption {
  const char* option;
  QLatin1String property;
};

const GroupOption kGroupOptions[] = {
    {"output", CmdTaskEntry::kOutput},
    {"config", CmdTaskEntry::kConfiguration},
    {"target", CmdTaskEntry::kTarget},
    {"platform", CmdTaskEntry::kPlatform},
};

struct PathOption {
  const char* option;
  std::optional<QString> CommandLine::*field;
};

const PathOption kPathOptions[] = {
    {"pmanifest", &CommandLine::manifestFile},
    {"properties", &CommandLine::propertiesFile},
    {"job", &CommandLine::jobFile},
};

template <typename Option, std::size_t N>
const Option* optionNamed(const Option (&table)[N], const char* arg) {
  for (const Option& o : table)
    if (isOptionNamed(arg, o.option)) return &o;
  return nullptr;
}

// The names are gathered apart, so that a long list costs no more than its length.
struct OpenGroup {
  std::vector<QString> names;
  CmdTaskEntry entry;
};

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  if (!argv) return line;

  std::optional<OpenGroup> group;
  const auto closeGroup = [&] {
    if (!group) return;
    // A new store takes every name, and a group without names has no list.
    if (!group->names.empty())
      (void)group->entry.properties.setStringList(CmdTaskEntry::kProjectNames, group->names);  // infallible
    line.groups.push_back(std::move(group->entry));
    group.reset();
  };
  // The next argument when it can be an option's value, which it then is.
  const auto takeValue = [&](int& i) -> const char* {
    if (i + 1 >= argc || !argv[i + 1] || isOption(argv[i + 1])) return nullptr;
    return argv[++i];
  };

  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg) continue;
    if (!isOption(arg)) {
      if (group) group->names.push_back(QString::fromUtf8(arg));
      continue;
    }
    if (isOptionNamed(arg, "build")) {
      closeGroup();
      group.emplace();
      continue;
    }
    if (const GroupOption* o = optionNamed(kGroupOptions, arg)) {
      const char* value = takeValue(i);
      if (value && group)
        (void)group->entry.properties.setString(o->property, QFile::decodeName(value));  // infallible
      continue;
    }
    if (const PathOption* o = optionNamed(kPathOptions, arg)) {
      // A path's bytes, also those that are not UTF-8.
      if (const char* value = takeValue(i)) line.*(o->field) = QFile::decodeName(value);
    }
  }
  closeGroup();
  return line;
}
