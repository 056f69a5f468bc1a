#include "core/text_helpers.h"
#include "platform/sound.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Puts fake players, and nothing else, on PATH; each one appends its name and
// arguments to a file so that a test can see which one ran and how.
class FakePlayers {
 public:
  explicit FakePlayers(const QStringList& names) : oldPath_(qgetenv("PATH")) {
    for (const QString& name : names) {
      testing_support::writeFile(dir_.filePath(name),
                                 QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"%1 $*\" >> '%2'\n")
                                     .arg(name, callsPath())
                                     .toUtf8(),
                                 true);
    }
    qputenv("PATH", dir_.path().toUtf8());
  }
  ~FakePlayers() { qputenv("PATH", oldPath_); }

  QString callsPath() const { return dir_.filePath(QStringLiteral("calls.txt")); }
  QStringList calls() const {
    QFile file(callsPath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  QString wavPath() const { return dir_.filePath(QStringLiteral("ding.wav")); }
  void writeWav() const { testing_support::writeFile(wavPath(), "RIFF"); }

 private:
  QTemporaryDir dir_;
  QByteArray oldPath_;
};

TEST(PlayWavFileTest, RunsTheFirstPlayerFoundWithTheFile) {
  struct Case {
    const char* name;
    QStringList players;
    QString expected;  // with %1 for the file; empty when nothing runs
  };
  const Case cases[] = {
      {"all three", {"paplay", "aplay", "afplay"}, "paplay %1"},
      {"aplay takes -q", {"aplay", "afplay"}, "aplay -q %1"},
      {"afplay last", {"afplay"}, "afplay %1"},
      {"no player", {}, ""},
  };
  for (const Case& c : cases) {
    FakePlayers fake(c.players);
    fake.writeWav();
    platform::playWavFile(fake.wavPath());
    // The call waits for the player, so its record is complete on return.
    const QStringList expected =
        c.expected.isEmpty() ? QStringList() : QStringList{c.expected.arg(fake.wavPath())};
    EXPECT_EQ(expected, fake.calls()) << c.name;
  }
}

TEST(PlayWavFileTest, MissingFileRunsNothing) {
  FakePlayers fake({"paplay"});
  platform::playWavFile(fake.wavPath());
  platform::playWavFile(QString());
  EXPECT_TRUE(fake.calls().isEmpty());
}

TEST(PlayWavFileTest, NameLikeAnOptionIsPassedAsAPath) {
  FakePlayers fake({"paplay"});
  QTemporaryDir work;
  const QString oldDir = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(work.path()));
  testing_support::writeFile(QStringLiteral("-h.wav"), QByteArray());
  platform::playWavFile(QStringLiteral("-h.wav"));
  QDir::setCurrent(oldDir);
  EXPECT_EQ(QStringList{"paplay ./-h.wav"}, fake.calls());
}

TEST(FinishingSoundTest, PlaysTheProgramDirectoryFileOnlyWhenItExists) {
  FakePlayers fake({"paplay"});
  const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/error.wav");
  struct RemoveAtEnd {
    QString path;
    ~RemoveAtEnd() { QFile::remove(path); }
  } cleanup{path};
  QFile::remove(path);  // a run that stopped halfway may have left it
  playErrorSound();
  playSuccessSound();
  EXPECT_TRUE(fake.calls().isEmpty());

  testing_support::writeFile(path, QByteArray());
  playErrorSound();
  EXPECT_EQ(QStringList{"paplay " + path}, fake.calls());
}

}  // namespace
