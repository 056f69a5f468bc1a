#include "core/scoped_variables_expander.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Kind = VariablesExpanderHelper::Kind;

// A store that counts its lookups: the cost of an expansion.
class CountingStore : public VariablesMgr {
 public:
  using VariablesMgr::get;
  int get(const QString& name, QString& value) override {
    ++lookups;
    return VariablesMgr::get(name, value);
  }
  int lookups = 0;
};

// Scopes nested as macro calls and loops nest them: kinds[0] is the outermost.
class Nest {
 public:
  Nest(const std::vector<Kind>& kinds, IVariablesExpander* base) {
    IVariablesExpander* outer = base;
    for (Kind kind : kinds) {
      stores_.push_back(std::make_unique<CountingStore>());
      scopes_.push_back(std::make_unique<ScopedVariablesExpander>(kind, stores_.back().get(), outer));
      outer = scopes_.back().get();
    }
  }
  CountingStore& store(int level) { return *stores_[static_cast<size_t>(level)]; }
  IVariablesExpander* innermost() { return scopes_.back().get(); }
  int lookups() const {
    int total = 0;
    for (const auto& s : stores_) total += s->lookups;
    return total;
  }

 private:
  std::vector<std::unique_ptr<CountingStore>> stores_;
  std::vector<std::unique_ptr<ScopedVariablesExpander>> scopes_;
};

TEST(ScopedVariablesExpanderTest, NamesResolveInnermostFirstThroughEveryScope) {
  VariablesMgr globals;
  EXPECT_EQ(0, globals.set("g", "G"));
  VariablesExpanderHelper base(Kind::KindDollar, &globals);
  // A macro call, a loop inside it, and a call of another macro inside the loop.
  Nest nest({Kind::KindAt, Kind::KindHash, Kind::KindAt}, &base);
  EXPECT_EQ(0, nest.store(0).set("p", "outer"));
  EXPECT_EQ(0, nest.store(0).set("only", "from the outer call"));
  EXPECT_EQ(0, nest.store(1).set("i", "item"));
  EXPECT_EQ(0, nest.store(2).set("p", "inner"));
  EXPECT_EQ(0, nest.store(2).set("ref", "#{i}/${g}"));

  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"@{p}", "inner"},
      {"@{only}", "from the outer call"},
      {"#{i}-${g}", "item-G"},
      {"@{ref}", "item/G"},
      {"@{missing}#{missing}${missing}", "@{missing}#{missing}${missing}"},
  };
  for (const Case& c : cases) {
    QString text = c.text;
    EXPECT_EQ(QString(c.text) != c.expected, nest.innermost()->expand(text)) << c.text;
    EXPECT_EQ(c.expected, text) << c.text;
  }
}

// A macro that calls itself: the expansion at depth n costs what it costs at depth 1.
TEST(ScopedVariablesExpanderTest, CostDoesNotGrowWithTheDepth) {
  CountingStore globals;
  EXPECT_EQ(0, globals.set("v", "y"));
  VariablesExpanderHelper base(Kind::KindDollar, &globals);
  const QString text = "${v}@{p}" + QString(1000, QLatin1Char('x'));
  auto costAt = [&](int depth, QString& expanded) {
    Nest nest(std::vector<Kind>(static_cast<size_t>(depth), Kind::KindAt), &base);
    for (int level = 0; level < depth; ++level) EXPECT_EQ(0, nest.store(level).set("p", QString::number(level)));
    globals.lookups = 0;
    expanded = text;
    nest.innermost()->expand(expanded);
    return nest.lookups() + globals.lookups;
  };
  QString shallow;
  QString deep;
  const int atOne = costAt(1, shallow);
  EXPECT_EQ(atOne, costAt(256, deep));
  EXPECT_EQ("y0" + QString(1000, QLatin1Char('x')), shallow);
  EXPECT_EQ("y255" + QString(1000, QLatin1Char('x')), deep);
}

}  // namespace
