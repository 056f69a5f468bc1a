#include "platform/system_environment.h"
#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using platform::RegistryRootKey;
using testing_support::ScopedEnv;

TEST(RegistryPathTest, RootNamesAreExact) {
  struct Case {
    const char* name;
    RegistryRootKey key;
  };
  const Case cases[] = {
      {"HKEY_CLASSES_ROOT", RegistryRootKey::ClassesRoot}, {"HKCR", RegistryRootKey::None},
      {"HKEY_CURRENT_USER", RegistryRootKey::CurrentUser}, {"HKCU", RegistryRootKey::CurrentUser},
      {"HKEY_LOCAL_MACHINE", RegistryRootKey::LocalMachine}, {"HKLM", RegistryRootKey::LocalMachine},
      {"HKEY_USERS", RegistryRootKey::Users},              {"HKU", RegistryRootKey::Users},
      {"HKEY_CURRENT_CONFIG", RegistryRootKey::CurrentConfig}, {"HKCC", RegistryRootKey::CurrentConfig},
      {"hklm", RegistryRootKey::None},                     {"", RegistryRootKey::None},
      {"HKLM ", RegistryRootKey::None},
  };
  for (const Case& c : cases) EXPECT_EQ(c.key, platform::parseRegistryRootKey(c.name)) << c.name;
}

TEST(RegistryPathTest, SplitAtTheFirstBackslash) {
  struct Case {
    const char* path;
    bool ok;
    RegistryRootKey root;
    const char* subkey;
  };
  const Case cases[] = {
      {"HKLM\\SYSTEM\\Env", true, RegistryRootKey::LocalMachine, "SYSTEM\\Env\\"},
      {"HKCU\\Software\\", true, RegistryRootKey::CurrentUser, "Software\\"},
      {"HKU\\", true, RegistryRootKey::Users, ""},
      {"HKLM", false, RegistryRootKey::None, ""},
      {"hklm\\SYSTEM", false, RegistryRootKey::None, ""},
      {"HKLM/SYSTEM", false, RegistryRootKey::None, ""},
      {"\\SYSTEM", false, RegistryRootKey::None, ""},
  };
  for (const Case& c : cases) {
    RegistryRootKey root = RegistryRootKey::None;
    QString subkey;
    EXPECT_EQ(c.ok, platform::splitRegistryPath(c.path, root, subkey)) << c.path;
    EXPECT_EQ(c.root, root) << c.path;
    EXPECT_EQ(QString(c.subkey), subkey) << c.path;
  }
}

TEST(RegistryPathTest, OnlyTheSystemEnvironmentKeyReachesTheFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("environment");
  const ScopedEnv env("VARKEL_SYSTEM_ENVIRONMENT_FILE", file.toLocal8Bit().constData());
  struct Case {
    const char* path;
    unsigned rc;
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE", 87},
      {"hkey_local_machine\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", 87},
      {"HKCU\\Environment", 2},
      {"HKEY_USERS\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", 2},
      {"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", 2},
      {"HKLM\\system\\currentcontrolset\\control\\session manager\\environment\\", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.rc, platform::writeRegistryString(c.path, "A", 0, "1")) << c.path;
    EXPECT_EQ(c.rc == 0, QFile::exists(file)) << c.path;
  }
  EXPECT_EQ(0u, platform::writeRegistryString(platform::kSystemEnvironmentKeyPath, "B", 2, "2"));
  QString value;
  EXPECT_EQ(0u, platform::readRegistryString("B", value));
  EXPECT_EQ("2", value);
}

TEST(RegistryPathTest, DefaultFileIsTheSystemOne) {
  const ScopedEnv env("VARKEL_SYSTEM_ENVIRONMENT_FILE", nullptr);
  EXPECT_EQ("/etc/environment", platform::systemEnvironmentFilePath());
}

}  // namespace
