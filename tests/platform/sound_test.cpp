#include "core/text_helpers.h"
#include "platform/sound.h"

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
      const QString path = dir_.filePath(name);
      QFile script(path);
      EXPECT_TRUE(script.open(QIODevice::WriteOnly));
      script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"%1 $*\" >> '%2'\n")
                       .arg(name, callsPath())
                       .toUtf8());
      script.close();
      script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
  void writeWav() const {
    QFile wav(wavPath());
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF");
  }

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
  QFile wav(QStringLiteral("-h.wav"));
  ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
  wav.close();
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

  QFile wav(path);
  ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
  wav.close();
  playErrorSound();
  EXPECT_EQ(QStringList{"paplay " + path}, fake.calls());
}

}  // namespace
