#include "core/variables_expander_helper.h"
#include "core/variables_expanders.h"
#include "core/variables_mgr.h"
#include "test_support.h"


#include <gtest/gtest.h>

using testing_support::ScopedLogCapture;

namespace {

enum class Via { DollarPass, AtPass, HashPass, Kind1Helper, Kind1Chain };

bool run(Via via, IVariablesGetter* store, QString& text) {
  const QString before = text;
  VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, store);
  VariablesExpanders chain(&helper, nullptr);
  switch (via) {
    case Via::DollarPass: text = expandDollarVariables(store, text); break;
    case Via::AtPass: text = expandAtVariables(store, text); break;
    case Via::HashPass: text = expandHashVariables(store, text); break;
    case Via::Kind1Helper: return expandVariables(&helper, text);
    case Via::Kind1Chain: return expandVariables(&chain, text);
  }
  return text != before;
}

TEST(VariablesExpansionTest, ReferencesAreResolvedAsTheScanRulesSay) {
  struct Case {
    const char* name;
    Via via;
    const char* text;
    const char* expected;
    bool changed;
    const char* aValue;  // null: a = x
    bool dropA1;
  };
  const Case cases[] = {
      {"plain reference", Via::DollarPass, "${a}", "x", true, nullptr, false},
      {"name is trimmed", Via::DollarPass, "${ a }", "x", true, nullptr, false},
      {"name ignores case", Via::DollarPass, "${A}", "x", true, nullptr, false},
      {"unknown name stays", Via::DollarPass, "${missing}", "${missing}", false, nullptr, false},
      {"blank before brace", Via::DollarPass, "$ {a}", "$ {a}", false, nullptr, false},
      {"no braces", Via::DollarPass, "$a", "$a", false, nullptr, false},
      {"unclosed reference", Via::DollarPass, "${a", "${a", false, nullptr, false},
      {"empty name", Via::DollarPass, "${}", "${}", false, nullptr, false},
      {"nested name", Via::DollarPass, "${a${b}}", "z", true, nullptr, false},
      {"nested name, result unknown", Via::DollarPass, "${a${b}}", "${a1}", true, nullptr, true},
      {"nested unknown, trimmed", Via::DollarPass, "p${ a${b} }q", "p${a1}q", true, nullptr, true},
      {"nested name all unknown", Via::DollarPass, "${q${r}}", "${q${r}}", false, nullptr, false},
      {"doubled lead", Via::DollarPass, "$${a}", "$x", true, nullptr, false},
      {"braces around", Via::DollarPass, "{${a}}", "{x}", true, nullptr, false},
      {"several with text", Via::DollarPass, "<${a}|${b}|${missing}|${a1}>", "<x|1|${missing}|z>",
       true, nullptr, false},
      {"inserted value not rescanned", Via::DollarPass, "${a}", "${b}", true, "${b}", false},
      {"chain resolves inserted refs", Via::Kind1Chain, "${a}", "1", true, "${b}", false},
      {"chain, nothing to do", Via::Kind1Chain, "${missing}", "${missing}", false, nullptr, false},
      {"kind 1 leaves hash refs", Via::Kind1Helper, "#{a}", "#{a}", false, nullptr, false},
      {"kind 1 leaves at refs", Via::Kind1Helper, "@{a}", "@{a}", false, nullptr, false},
      {"kind 1 expands", Via::Kind1Helper, "-${a}-", "-x-", true, nullptr, false},
      {"change of letter case only is dropped", Via::Kind1Helper, "${a}", "${a}", false, "${A}",
       false},
      {"at pass", Via::AtPass, "@{a}${a}#{a}", "x${a}#{a}", true, nullptr, false},
      {"hash pass", Via::HashPass, "@{a}${a}#{ a }", "@{a}${a}x", true, nullptr, false},
  };
  for (const Case& c : cases) {
    VariablesMgr store;
    EXPECT_EQ(0, store.set("a", c.aValue ? c.aValue : "x"));
    EXPECT_EQ(0, store.set("b", "1"));
    if (!c.dropA1) {
      EXPECT_EQ(0, store.set("a1", "z"));
    }
    QString text = c.text;
    EXPECT_EQ(c.changed, run(c.via, &store, text)) << c.name;
    EXPECT_EQ(c.expected, text) << c.name;
  }
}

TEST(VariablesExpansionTest, MissingPartsLeaveTheTextAlone) {
  VariablesMgr store;
  EXPECT_EQ(0, store.set("a", "x"));
  QString text = "${a}";
  EXPECT_EQ("${a}", expandDollarVariables(nullptr, text));
  VariablesExpanderHelper noGetter(VariablesExpanderHelper::KindDollar, nullptr);
  VariablesExpanderHelper badKind(4, &store);
  VariablesExpanders empty(nullptr, nullptr);
  IVariablesExpander* const expanders[] = {&noGetter, &badKind, &empty, nullptr};
  for (IVariablesExpander* e : expanders) {
    EXPECT_FALSE(expandVariables(e, text));
    EXPECT_EQ("${a}", text);
  }
}

TEST(VariablesExpansionTest, ChainRunsBothExpandersUntilNothingChanges) {
  VariablesMgr vars;
  VariablesMgr params;
  EXPECT_EQ(0, vars.set("dir", "@{root}/bin"));
  EXPECT_EQ(0, params.set("root", "/opt/${name}"));
  EXPECT_EQ(0, vars.set("name", "tool"));
  VariablesExpanderHelper dollar(VariablesExpanderHelper::KindDollar, &vars);
  VariablesExpanderHelper at(VariablesExpanderHelper::KindAt, &params);
  VariablesExpanders chain(&dollar, &at);
  QString text = "${dir}";
  EXPECT_TRUE(chain.expand(text));
  EXPECT_EQ("/opt/tool/bin", text);
}

TEST(VariablesExpansionTest, SelfReferenceEndsPromptlyWithOneWarning) {
  struct Case {
    const char* name;
    const char* value;
    QString expected;  // empty: only the length bound is checked
  };
  const Case cases[] = {
      // The store refuses a value that names itself; a cycle through a second name gets past it.
      {"grows by a letter", "x${b}", QString(VariablesExpanders::kMaxRounds / 2, 'x') + "${a}"},
      {"doubles", "${b}${b}", QString()},
  };
  for (const Case& c : cases) {
    ScopedLogCapture capture;
    VariablesMgr store;
    ASSERT_EQ(0, store.set("a", c.value));
    ASSERT_EQ(0, store.set("b", "${a}"));
    VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, &store);
    VariablesExpanders chain(&helper, nullptr);
    QString text = "${a}";
    EXPECT_TRUE(expandVariables(&chain, text)) << c.name;
    if (!c.expected.isEmpty()) {
      EXPECT_EQ(c.expected, text) << c.name;
    } else {
      EXPECT_GT(text.size(), VariablesExpanders::kMaxLength) << c.name;
      EXPECT_LE(text.size(), 2 * VariablesExpanders::kMaxLength + 8) << c.name;
    }
    const auto& entries = capture.log().entries;
    ASSERT_EQ(1u, entries.size()) << c.name;
    EXPECT_EQ(logger::LogWarning, entries[0].level);
    EXPECT_EQ("VariablesExpanders", entries[0].tag);
    EXPECT_TRUE(entries[0].text.endsWith(": '" + text.left(200) + "'")) << entries[0].text.toStdString();
  }
}

}  // namespace

namespace {

TEST(VariablesExpansionTest, DeeplyNestedNamesNeitherCrashNorChange) {
  VariablesMgr store;
  EXPECT_EQ(0, store.set("a", "x"));
  const int depth = 20000;
  const QString text = QString("${").repeated(depth) + "a" + QString("}").repeated(depth);
  VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, &store);
  QString expanded = text;
  EXPECT_FALSE(helper.expand(expanded));
  EXPECT_EQ(text, expanded);
}

}  // namespace
