#include "core/result_codes.h"
#include "core/text_limit.h"
#include "core/variables_expander.h"
#include "core/variables_expander_helper.h"
#include "core/variables_expanders.h"
#include "core/variables_mgr.h"
#include "test_support.h"

#include <gtest/gtest.h>

using testing_support::ScopedLogCapture;

namespace {

const QString kHalf(kMaxTextLength / 2, QLatin1Char('x'));
const QString kOverHalf(kMaxTextLength / 2 + 1, QLatin1Char('x'));

// Every reference kind refuses, while the text grows, a result beyond the limit: the
// text stays as it was, one error line names what would have grown it, and the
// refusal is counted for the code that asked.
TEST(TextLimitTest, ExpansionRefusesAResultBeyondTheLimit) {
  struct Case {
    const char* name;
    QChar lead;
    const char* kind;
  };
  const Case cases[] = {
      {"variable", QLatin1Char('$'), "variable"},
      {"macro parameter", QLatin1Char('@'), "macro parameter"},
      {"loop item", QLatin1Char('#'), "loop item"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VariablesMgr store;
    ASSERT_EQ(0, store.set("half", kHalf));
    ASSERT_EQ(0, store.set("big", kOverHalf));
    const auto lookup = [&store](const QString& name, QString& value) { return store.get(name, value) == 0; };
    const QString ref = QString(c.lead) + "{big}";

    QString atLimit = QString(c.lead) + "{half}" + c.lead + "{half}";
    EXPECT_EQ(core_codes::kOk, expandReferences(c.lead, lookup, atLimit));
    EXPECT_EQ(kMaxTextLength, atLimit.size()) << "a text of exactly the limit is allowed";

    ScopedLogCapture capture;
    const TextLimitWatch watch;
    QString text = "a" + ref + ref;
    EXPECT_EQ(core_codes::kTextTooLong, expandReferences(c.lead, lookup, text));
    EXPECT_EQ("a" + ref + ref, text);
    EXPECT_TRUE(watch.hit());
    ASSERT_EQ(1u, capture.log().entries.size());
    EXPECT_EQ(logger::LogError, capture.log().entries[0].level);
    EXPECT_EQ(QString("Text too long: expanding the ") + c.kind + " 'big' would make it longer than 16777216 characters.",
              capture.log().entries[0].text);
  }
}

TEST(TextLimitTest, EveryEntryOfExpansionKeepsTheLimit) {
  ScopedLogCapture capture(logger::LogOff);
  VariablesMgr store;
  ASSERT_EQ(0, store.set("big", kOverHalf));
  const QString text = "${big}${big}";
  EXPECT_EQ(text, expandDollarVariables(&store, text));
  EXPECT_EQ("@{big}@{big}", expandAtVariables(&store, "@{big}@{big}"));

  QString inPlace = text;
  EXPECT_EQ(core_codes::kTextTooLong, expandDollarVariablesInPlace(&store, inPlace));
  EXPECT_EQ(text, inPlace);

  VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, &store);
  QString viaHelper = text;
  EXPECT_FALSE(helper.expand(viaHelper));
  EXPECT_EQ(text, viaHelper);

  // A name built from references counts as well: its inner expansion is bounded too.
  ASSERT_EQ(0, store.set("n", "big"));
  QString nested = "${x${big}${big}}";
  EXPECT_EQ(core_codes::kTextTooLong, expandDollarVariablesInPlace(&store, nested));

  QString checked = text;
  EXPECT_EQ(core_codes::kTextTooLong, expandVariablesChecked(&helper, checked));
  QString fine = "${n}";
  EXPECT_EQ(core_codes::kOk, expandVariablesChecked(&helper, fine));
  EXPECT_EQ("big", fine);
}

// A value that doubles in every round ends at the limit, with one error and no warning.
TEST(TextLimitTest, ChainOfRoundsStopsAtTheLimit) {
  ScopedLogCapture capture;
  VariablesMgr store;
  ASSERT_EQ(0, store.set("a", "${b}${b}"));
  ASSERT_EQ(0, store.set("b", "${a}" + QString(1000, QLatin1Char('x'))));
  VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, &store);
  VariablesExpanders chain(&helper, nullptr);
  const TextLimitWatch watch;
  QString text = "${a}";
  EXPECT_TRUE(expandVariables(&chain, text));
  EXPECT_TRUE(watch.hit());
  EXPECT_LE(text.size(), kMaxTextLength);
  EXPECT_GT(text.size(), kMaxTextLength / 4) << "every round up to the limit was made";
  ASSERT_EQ(1u, capture.log().entries.size());
  EXPECT_EQ(logger::LogError, capture.log().entries[0].level);
  EXPECT_TRUE(capture.log().entries[0].text.startsWith("Text too long: expanding the variable '"));
}

TEST(TextLimitTest, StoreRefusesAValueBeyondTheLimit) {
  ScopedLogCapture capture;
  VariablesMgr store;
  const QString atLimit(kMaxTextLength, QLatin1Char('v'));
  EXPECT_EQ(0, store.set("fits", atLimit));
  EXPECT_EQ(core_codes::kTextTooLong, store.set("huge", atLimit + "v"));
  EXPECT_EQ(core_codes::kTextTooLong, store.set("fits", atLimit + "v", VariableFlags{}));
  EXPECT_FALSE(store.exists("huge"));
  QString kept;
  ASSERT_EQ(0, store.get("fits", kept));
  EXPECT_EQ(atLimit.size(), kept.size()) << "a refused value leaves the old one";
  EXPECT_TRUE(capture.log().contains(
      "Text too long: the value of the variable 'huge' has 16777217 characters, more than 16777216."));
}

TEST(TextLimitTest, ScopeAnswersForItsOwnRefusalsOnly) {
  const TextLimitWatch outer;
  {
    const TextLimitScope inner;
    countTextLimitHit();
    EXPECT_TRUE(inner.hit());
    EXPECT_TRUE(outer.hit()) << "a watch sees refusals while an inner scope lives";
  }
  EXPECT_FALSE(outer.hit()) << "the inner scope answered for its own";
  countTextLimitHit();
  EXPECT_TRUE(outer.hit());
}

}  // namespace
