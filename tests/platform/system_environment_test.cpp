#include "fake_disk.h"
#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "platform/system_environment.h"
#include "test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace {

using platform::FileLock;
using platform::RegistryRootKey;
using testing_support::readFile;
using testing_support::ScopedEnv;
using testing_support::writeFile;

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

// Every test here points the system environment at a file of its own, and waits for
// another holder of its lock only briefly.
class SystemEnvironmentFileTest : public ::testing::Test {
 protected:
  SystemEnvironmentFileTest()
      : path_(dir_.filePath("environment")), env_("VARKEL_SYSTEM_ENVIRONMENT_FILE", path_.toLocal8Bit().constData()) {
    platform::setSystemEnvironmentLockWaitForTesting(kWaitMs);
  }
  ~SystemEnvironmentFileTest() override {
    platform::setSystemEnvironmentLockWaitForTesting(platform::kSystemEnvironmentLockWaitMs);
  }

  static unsigned write(const char* name, const char* value) {
    return platform::writeRegistryString(platform::kSystemEnvironmentKeyPath, name, 0, value);
  }

  static constexpr int kWaitMs = 100;
  QTemporaryDir dir_;
  QString path_;
  ScopedEnv env_;
};

TEST_F(SystemEnvironmentFileTest, AnotherHolderOfTheLockIsWaitedForOnlySoLong) {
  const struct {
    const char* name;
    FileLock held;
    unsigned read;
  } cases[] = {
      {"another writer", FileLock::Exclusive, ETIMEDOUT},
      {"another reader", FileLock::Shared, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path_, "A=1\n");
    QFile other(path_);
    ASSERT_TRUE(other.open(c.held == FileLock::Exclusive ? QIODevice::ReadWrite : QIODevice::ReadOnly));
    ASSERT_EQ(0, platform::tryFileLock(other.handle(), c.held));
    EXPECT_EQ(unsigned(ETIMEDOUT), write("B", "2"));
    QString value = "old";
    EXPECT_EQ(c.read, platform::readRegistryString("A", value));
    EXPECT_EQ(c.read == 0 ? "1" : "", value);
    EXPECT_EQ(QByteArray("A=1\n"), readFile(path_));
    EXPECT_EQ(QStringList{"environment"}, QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden));
  }
}

// The writer before renamed a new file over the one that this writer waited for.
TEST_F(SystemEnvironmentFileTest, AWriterThatWaitedChangesTheFileThatTheNameGivesNow) {
  platform::setSystemEnvironmentLockWaitForTesting(60000);
  writeFile(path_, "A=1\n");
  QFile held(path_);
  ASSERT_TRUE(held.open(QIODevice::ReadWrite));
  ASSERT_EQ(0, platform::tryFileLock(held.handle(), FileLock::Exclusive));
  unsigned rc = ~0u;
  std::thread writer([&rc] { rc = write("B", "2"); });
  EXPECT_TRUE(testing_support::someoneWaitsForLock(path_, 60000)) << "the writer never waited";
  writeFile(dir_.filePath("new"), "A=new\n");
  EXPECT_TRUE(QFile::remove(path_) && QFile::rename(dir_.filePath("new"), path_));
  held.close();
  writer.join();
  EXPECT_EQ(0u, rc);
  EXPECT_EQ(QByteArray("A=new\nB=2\n"), readFile(path_));
}

// A pipe in the file's place would block a read for ever.
TEST_F(SystemEnvironmentFileTest, APipeInTheFilesPlaceIsRefused) {
  ASSERT_TRUE(testing_support::makeFifo(path_));
  QString value = "old";
  EXPECT_EQ(unsigned(ESPIPE), platform::readRegistryString("A", value));
  EXPECT_EQ(unsigned(ESPIPE), write("A", "1"));
  EXPECT_EQ("", value);
}

// The file made to be locked goes again when the write fails; a link stays a link.
TEST_F(SystemEnvironmentFileTest, AFailedWriteLeavesNoFileWhereThereWasNone) {
  const QString target = dir_.filePath("target");
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link ? "through a link" : "plain");
    if (link) {
      ASSERT_TRUE(QFile::link(target, path_));
    }
    {
      const auto space = testing_support::ScopedDiskSpace::failingAfter(0);
      EXPECT_EQ(unsigned(ENOSPC), write("A", "1"));
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(link, QFileInfo(path_).isSymLink());
    EXPECT_EQ(link ? QStringList{"environment"} : QStringList{},
              QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System));
  }
}

}  // namespace
