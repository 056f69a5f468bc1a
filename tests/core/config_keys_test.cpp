#include "core/config_keys.h"
#include "core/name_correctors.h"

#include <gtest/gtest.h>

namespace {

TEST(ConfigKeysTest, DottedKey) {
  const struct {
    const char* base;
    const char* first;
    const char* second;
    const char* expected;
  } cases[] = {
      {"win.qmake.path", "x64", "msvc", "win.qmake.path.x64.msvc"},
      {" key ", "", "b", "key.b"},
      {"key", "a", "", "key.a"},
      {"key", "", "", "key"},
      {"  ", "a", "b", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QString(c.expected), dottedKey(c.base, c.first, c.second)) << c.base;
}

TEST(ConfigKeysTest, PreferOutSubdirKeys) {
  EXPECT_EQ("core.prefer.out.subdir", preferOutSubdirKey("core"));
  EXPECT_EQ("core.bin.fileset.prefer.out.subdir", filesetPreferOutSubdirKey("core", "bin"));
  EXPECT_EQ("core.fileset.prefer.out.subdir", filesetPreferOutSubdirKey("core", ""));
}

TEST(NameCorrectorsTest, FindsTheFirstMatchingCorrector) {
  const std::vector<NameCorrector> correctors = {
      {"dll, lib", "Debug", "", "d"},
      {"exe", "debug", "dbg_", ""},
      {",, PDB ,", "release", "", "_r"},
      {"", "profile", "p_", ""},
      {"dll", "DEBUG", "", "second"},
  };
  const struct {
    const char* name;
    const char* configuration;
    const char* extension;
    const char* expectedSuffix;  // null: not found
    const char* expectedPrefix;
  } cases[] = {
      {"extension with a dot", "debug", ".lib", "d", ""},
      {"extension ignores case, first wins", "DEBUG", "DLL", "d", ""},
      {"second corrector of the configuration", "Debug", "exe", "", "dbg_"},
      {"parts trimmed, empty parts dropped", "Release", "pdb", "_r", ""},
      {"extension not listed", "debug", "so", nullptr, nullptr},
      {"configuration not there", "ship", "dll", nullptr, nullptr},
      {"no extension asks for the configuration", "profile", "", "", "p_"},
      {"no extension, first of the configuration", "debug", "", "d", ""},
      {"corrector without extensions", "profile", "dll", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    NameCorrector out{"untouched", "", "", ""};
    const bool found = findNameCorrector(correctors, c.configuration, c.extension, out);
    EXPECT_EQ(c.expectedSuffix != nullptr, found) << c.name;
    if (c.expectedSuffix) {
      EXPECT_EQ(QString(c.expectedSuffix), out.suffix) << c.name;
      EXPECT_EQ(QString(c.expectedPrefix), out.prefix) << c.name;
    } else {
      EXPECT_EQ("untouched", out.extensions) << c.name;
    }
  }
}

}  // namespace
