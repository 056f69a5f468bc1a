// Replays the corpus of every fuzz harness through the harness's own entry, built
// without libFuzzer: the seeds, and every input that once crashed or hung a fuzzer.

#include "fuzz/fuzz_target.h"
#include "test_support.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace fuzz {
void PrintTo(const Target& target, std::ostream* os) { *os << target.name; }
}  // namespace fuzz

namespace {

const QString kCorpusDir = QStringLiteral(VARKEL_FUZZ_CORPUS_DIR);

class CorpusReplay : public testing::TestWithParam<fuzz::Target> {};

TEST_P(CorpusReplay, EveryInputRunsCleanly) {
  const fuzz::Target& target = GetParam();
  const QDir dir(kCorpusDir + QLatin1Char('/') + QLatin1String(target.name));
  const QStringList files = dir.entryList(QDir::Files, QDir::Name);
  ASSERT_FALSE(files.isEmpty()) << "no seeds in " << dir.path().toStdString();
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    const QByteArray input = testing_support::readFile(dir.filePath(name));
    target.entry(reinterpret_cast<const std::uint8_t*>(input.constData()), static_cast<std::size_t>(input.size()));
  }
  const std::uint8_t none = 0;
  target.entry(&none, 0);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, testing::ValuesIn(fuzz::targets()),
                         [](const testing::TestParamInfo<fuzz::Target>& row) { return std::string(row.param.name); });

// A corpus whose harness was renamed or removed would silently stop being replayed.
TEST(CorpusReplayTest, EveryCorpusHasItsHarness) {
  QStringList harnesses;
  for (const fuzz::Target& target : fuzz::targets()) harnesses << QLatin1String(target.name);
  const QStringList corpora = QDir(kCorpusDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  ASSERT_FALSE(corpora.isEmpty());
  for (const QString& corpus : corpora) EXPECT_TRUE(harnesses.contains(corpus)) << corpus.toStdString();
}

}  // namespace
