#include "core/variables_mgr.h"

#include "core/text_limit.h"
#include "test_support.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

QStringList namesInOrder(VariablesMgr& store) {
  QStringList names;
  QString name;
  for (int i = 0; i < store.count(); ++i) {
    EXPECT_EQ(0, store.getNameAt(i, name));
    names << name;
  }
  return names;
}

// Replaces the value of one name and records what it was shown.
class ReplacingTrigger : public IVariablesSetTrigger {
 public:
  ReplacingTrigger(QString name, QString replacement, bool replace)
      : name_(std::move(name)), replacement_(std::move(replacement)), replace_(replace) {}
  bool onVariableSet(const QString& name, const QString& value, QString& replacement) override {
    seen << name + "=" + value;
    if (name.compare(name_, Qt::CaseInsensitive) != 0) return false;
    EXPECT_TRUE(replacement.isEmpty());
    replacement = replacement_;
    return replace_;
  }
  QStringList seen;

 private:
  QString name_;
  QString replacement_;
  bool replace_;
};

TEST(VariablesMgrTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  VariablesMgr store;
  ASSERT_EQ(0, store.set("log.level", "6"));
  ASSERT_EQ(0, store.set("Log.Level", "3"));
  EXPECT_EQ(1, store.count());
  QString value;
  EXPECT_EQ(0, store.get("LOG.LEVEL", value));
  EXPECT_EQ("3", value);
  EXPECT_EQ(QStringList{"log.level"}, namesInOrder(store));
  EXPECT_TRUE(store.exists("LoG.lEvEl"));
}

TEST(VariablesMgrTest, IndexReadsFollowCaseBlindOrderAcrossChanges) {
  VariablesMgr store;
  for (const char* n : {"delta", "Bravo", "alpha", "Charlie"}) EXPECT_EQ(0, store.set(n, n));
  EXPECT_EQ((QStringList{"alpha", "Bravo", "Charlie", "delta"}), namesInOrder(store));

  // A walk that reads backwards, then changes the store between reads, must see the new order.
  QString name;
  EXPECT_EQ(0, store.getNameAt(3, name));
  EXPECT_EQ(0, store.getNameAt(2, name));
  EXPECT_EQ(0, store.set("beta", "b"));
  EXPECT_EQ(0, store.getNameAt(2, name));
  EXPECT_EQ("Bravo", name);
  EXPECT_EQ(0, store.remove("alpha"));
  EXPECT_EQ(0, store.getNameAt(0, name));
  EXPECT_EQ("beta", name);
  EXPECT_EQ((QStringList{"beta", "Bravo", "Charlie", "delta"}), namesInOrder(store));

  QString value;
  VariableFlags flags;
  EXPECT_EQ(0, store.getAt(3, name, value, flags));
  EXPECT_EQ("delta", name);
  EXPECT_EQ("delta", value);
}

TEST(VariablesMgrTest, OrderAndIdentityMatchQtCaseBlindCompare) {
  const QString deseretUpper = QString::fromUcs4(U"\U00010400x");
  const QString deseretLower = QString::fromUcs4(U"\U00010428X");
  const QStringList names = {"project.module10.dir", "Project.Module9.dir", "project.module1",
                             "PROJECT.MODULE1.", "a_b", "aZ", "AZZ", QString::fromUtf8("\xC3\x84rger"),
                             "zebra", deseretUpper, QString::fromUtf8("\xC3\xA9t\xC3\xA9"), "E"};
  VariablesMgr store;
  for (const QString& n : names) EXPECT_EQ(0, store.set(n, n));
  QStringList expected = names;
  std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  EXPECT_EQ(expected, namesInOrder(store));

  // Letter case beyond ASCII, inside and outside the basic plane, names one variable.
  EXPECT_EQ(0, store.set(QString::fromUtf8("\xC3\xA4RGER"), "1"));
  EXPECT_EQ(0, store.set(deseretLower, "2"));
  EXPECT_EQ(names.size(), store.count());
  QString value;
  EXPECT_EQ(0, store.get(QString::fromUtf8("\xC3\x84rger"), value));
  EXPECT_EQ("1", value);
  EXPECT_EQ(0, store.get(deseretUpper, value));
  EXPECT_EQ("2", value);
}

TEST(VariablesMgrTest, MissingNamesAndIndexesGive60AndLeaveOutArgumentsAlone) {
  VariablesMgr store;
  EXPECT_EQ(0, store.clear());
  EXPECT_EQ(0, store.set("a", "1"));
  QString name = "keep";
  QString value = "keep";
  VariableFlags flags{true, 9};
  EXPECT_EQ(60, store.getAt(store.count(), name, value, flags));
  EXPECT_EQ(60, store.getAt(-1, name, value));
  EXPECT_EQ(60, store.getNameAt(1, name));
  EXPECT_EQ(60, store.get("b", value, flags));
  EXPECT_EQ(60, store.get("b", value));
  EXPECT_EQ(60, store.getFlags("b", flags));
  EXPECT_EQ(60, store.remove("b"));
  EXPECT_EQ("keep", name);
  EXPECT_EQ("keep", value);
  EXPECT_TRUE(flags.readOnly);
  EXPECT_EQ(9u, flags.category);
  EXPECT_EQ(0, store.clear());
  EXPECT_EQ(0, store.count());
  EXPECT_FALSE(store.exists("a"));
}

TEST(VariablesMgrTest, FlagsAreKeptByPlainSetAndReplacedByFlaggedSet) {
  VariablesMgr store;
  VariableFlags flags;
  EXPECT_EQ(0, store.set("plain", "1"));
  ASSERT_EQ(0, store.getFlags("plain", flags));
  EXPECT_FALSE(flags.readOnly);
  EXPECT_EQ(VariableFlags::kCategoryPlain, flags.category);

  EXPECT_EQ(0, store.set("job", "1", VariableFlags{false, VariableFlags::kCategoryJob}));
  EXPECT_EQ(0, store.set("job", "2"));
  QString value;
  ASSERT_EQ(0, store.get("job", value, flags));
  EXPECT_EQ("2", value);
  EXPECT_EQ(VariableFlags::kCategoryJob, flags.category);
  EXPECT_EQ(0, store.set("job", "3", VariableFlags{false, 7}));
  EXPECT_EQ(0, store.getFlags("job", flags));
  EXPECT_EQ(7u, flags.category);
}

TEST(VariablesMgrTest, ReadOnlyRefusesBothSetsButCanBeRemoved) {
  VariablesMgr store;
  ReplacingTrigger trigger("other", "", false);
  store.setTrigger(&trigger);
  EXPECT_EQ(0, store.set("symbol.crlf", "\r\n", VariableFlags{true, 1}));
  trigger.seen.clear();
  EXPECT_EQ(700, store.set("SYMBOL.CRLF", "x"));
  EXPECT_EQ(700, store.set("symbol.crlf", "x", VariableFlags{false, 1}));
  EXPECT_TRUE(trigger.seen.isEmpty());
  QString value;
  EXPECT_EQ(0, store.get("symbol.crlf", value));
  EXPECT_EQ("\r\n", value);
  EXPECT_EQ(0, store.remove("symbol.crlf"));
  EXPECT_EQ(0, store.set("symbol.crlf", "x"));
}

TEST(VariablesMgrTest, TriggerDecidesTheStoredValue) {
  struct Case {
    const char* name;
    bool replace;
    bool existing;
    const char* stored;
  };
  const Case cases[] = {
      {"replaces a new value", true, false, "replaced"},
      {"replaces an existing value", true, true, "replaced"},
      {"declines, value stays", false, false, "given"},
      {"declines on an existing entry", false, true, "given"},
  };
  for (const Case& c : cases) {
    VariablesMgr store;
    if (c.existing) {
      EXPECT_EQ(0, store.set("log.level", "old"));
    }
    ReplacingTrigger trigger("LOG.LEVEL", "replaced", c.replace);
    store.setTrigger(&trigger);
    EXPECT_EQ(0, store.set("Log.Level", "given")) << c.name;
    EXPECT_EQ(0, store.set("untouched", "u"));
    QString value;
    EXPECT_EQ(0, store.get("log.level", value));
    EXPECT_EQ(c.stored, value) << c.name;
    EXPECT_EQ(0, store.get("untouched", value));
    EXPECT_EQ("u", value) << c.name;
    EXPECT_EQ((QStringList{"Log.Level=given", "untouched=u"}), trigger.seen) << c.name;
  }
}

// Such a value would grow in every round of expansion: it is refused and the old one kept.
TEST(VariablesMgrTest, ValueReferringToItselfBesideOtherTextIsRefused) {
  const struct {
    const char* value;
    int code;
  } cases[] = {
      {"x${self}", 702},
      {"${ SELF }/bin", 702},
      {"${self}${self}", 702},
      {"${other}${self}", 702},
      {"${self}", 0},       // expands to itself: harmless
      {" ${self}", 702},
      {"${selfish}x", 0},
      {"$self x", 0},
      {"${self", 0},
      {"$${self}x", 702},
      {"${a}}$ ${self}", 702},
      {"x${self}$", 702},
      {"$x$", 0},
      {"@{self}x", 0},
      {"#{self}x", 0},
  };
  for (const auto& c : cases) {
    VariablesMgr store;
    store.setRefuseSelfReference(true);
    EXPECT_EQ(0, store.set("self", "old"));
    EXPECT_EQ(c.code, store.set("Self", c.value)) << c.value;
    QString value;
    EXPECT_EQ(0, store.get("self", value));
    EXPECT_EQ(c.code ? QString("old") : QString(c.value), value) << c.value;
  }
  // The check looks at what is stored, so a trigger's replacement counts too.
  VariablesMgr store;
  store.setRefuseSelfReference(true);
  ReplacingTrigger trigger("a", "x${a}", true);
  store.setTrigger(&trigger);
  EXPECT_EQ(702, store.set("a", "fine"));
  EXPECT_FALSE(store.exists("a"));

  // Stores read through "#{}" or "@{}" (loop items, macro parameters) keep such values.
  VariablesMgr items;
  EXPECT_EQ(0, items.set("dir", "${dir}/a"));
}

// Two values of the longest text fill a store to its bound; one more character is
// refused and named, while replacing or removing a value gives its room back.
TEST(VariablesMgrTest, WhatAStoreHoldsTogetherIsBounded) {
  testing_support::ScopedLogCapture capture;
  VariablesMgr store;
  const QString longest(kMaxTextLength - 1, 'v');  // with its one-letter name: kMaxTextLength
  ASSERT_EQ(0, store.set("a", longest));
  ASSERT_EQ(0, store.set("b", longest)) << "exactly the bound";
  const TextLimitWatch watch;
  EXPECT_EQ(703, store.set("c", "x"));
  EXPECT_TRUE(watch.hit()) << "counted as a refused length";
  EXPECT_TRUE(capture.log().contains("Too much text: storing the variable 'c' would make the variables of its "
                                     "store hold 33554434 characters, more than 33554432."));
  EXPECT_EQ(703, store.set("A", longest + "w")) << "a longer value in place of a value counts its difference";
  QString value;
  EXPECT_EQ(0, store.get("a", value));
  EXPECT_EQ(longest, value);
  EXPECT_FALSE(store.exists("c"));

  EXPECT_EQ(0, store.set("a", ""));
  EXPECT_EQ(0, store.set("c", "x"));
  EXPECT_EQ(0, store.remove("b"));
  EXPECT_EQ(0, store.set("b", longest));
  EXPECT_EQ(703, store.set("d", longest));
  EXPECT_EQ(0, store.clear());
  EXPECT_EQ(0, store.set("d", longest));
}

// A long value is tested once, whatever store keeps it and however often it is stored
// again; the test belongs to the name, so the text under another name is tested anew.
TEST(VariablesMgrTest, ALongValueIsTestedForSelfReferenceOnce) {
  const QString text = QString(4000, 'x') + "${b}";
  VariablesMgr first, second, third;
  for (VariablesMgr* store : {&first, &second, &third}) store->setRefuseSelfReference(true);
  const std::uint64_t before = selfReferenceTests();
  ASSERT_EQ(0, first.set("a", text));
  ASSERT_EQ(0, copyVariables(second, &first, true));
  ASSERT_EQ(0, second.set("A", text));
  QString copy;
  ASSERT_EQ(0, second.get("a", copy));
  ASSERT_EQ(0, third.set("a", copy));
  ASSERT_EQ(0, first.set("a", copy));
  EXPECT_EQ(1u, selfReferenceTests() - before);

  EXPECT_EQ(702, third.set("b", copy)) << "under its own name the text refers to itself";
  EXPECT_EQ(2u, selfReferenceTests() - before);

  // Once no store keeps the text, nothing is known of it any more.
  for (VariablesMgr* store : {&first, &second, &third}) EXPECT_EQ(0, store->clear());
  ASSERT_EQ(0, first.set("a", copy));
  EXPECT_EQ(3u, selfReferenceTests() - before);
}

// Forwards to a store without being one, as a getter of another kind would.
class ForwardingGetter : public IVariablesGetter {
 public:
  explicit ForwardingGetter(VariablesMgr& store) : store_(store) {}
  bool exists(const QString& name) override { return store_.exists(name); }
  int count() override { return store_.count(); }
  int getAt(int index, QString& name, QString& value, VariableFlags& flags) override {
    return store_.getAt(index, name, value, flags);
  }
  int getAt(int index, QString& name, QString& value) override { return store_.getAt(index, name, value); }
  int getNameAt(int index, QString& name) override { return store_.getNameAt(index, name); }
  int get(const QString& name, QString& value, VariableFlags& flags) override { return store_.get(name, value, flags); }
  int get(const QString& name, QString& value) override { return store_.get(name, value); }
  int getFlags(const QString& name, VariableFlags& flags) override { return store_.getFlags(name, flags); }

 private:
  VariablesMgr& store_;
};

// What each snapshot shows, as "name=value" or "name: missing".
QStringList seen(VariablesSnapshot& snapshot, const QStringList& names) {
  QStringList out;
  for (const QString& name : names) {
    QString value;
    out << (snapshot.get(name, value) ? name + "=" + value : name + ": missing");
    EXPECT_EQ(snapshot.exists(name), !out.last().endsWith(": missing"));
  }
  return out;
}

TEST(VariablesSnapshotTest, SeesTheGetterAsItWasWhenTaken) {
  const QStringList names{"a", "b", "c", "new"};
  const QStringList before{"a=1", "b=2", "c=3", "new: missing"};
  VariablesMgr store;
  ASSERT_EQ(0, store.set("a", "1", VariableFlags{true, 4}));
  ASSERT_EQ(0, store.set("b", "2"));
  ASSERT_EQ(0, store.set("c", "3"));
  ForwardingGetter other(store);
  VariablesSnapshot snapshot(&store);
  VariablesSnapshot copied(&other);
  VariablesSnapshot empty(nullptr);

  ASSERT_EQ(0, store.set("b", "changed"));
  ASSERT_EQ(0, store.set("new", "x"));
  ASSERT_EQ(0, store.remove("c"));
  ASSERT_EQ(0, store.set("B", "again"));
  EXPECT_EQ(before, seen(snapshot, names));
  EXPECT_EQ(before, seen(copied, names));
  EXPECT_EQ((QStringList{"a: missing", "b: missing", "c: missing", "new: missing"}), seen(empty, names));
  QString value;
  VariableFlags flags;
  ASSERT_TRUE(snapshot.get("A", value, &flags));
  EXPECT_TRUE(flags.readOnly);
  EXPECT_EQ(4u, flags.category);

  const QStringList later{"a=1", "b=again", "c: missing", "new=x"};
  {
    VariablesSnapshot second(&store);
    EXPECT_EQ(later, seen(second, names));
    ASSERT_EQ(0, store.clear());
    EXPECT_EQ(later, seen(second, names));
  }
  EXPECT_EQ(before, seen(snapshot, names)) << "each snapshot keeps its own moment";
}

TEST(VariablesSnapshotTest, OutlivingItsStoreItKeepsWhatTheStoreHeld) {
  auto store = std::make_unique<VariablesMgr>();
  ASSERT_EQ(0, store->set("kept", "1"));
  ASSERT_EQ(0, store->set("changed", "old"));
  VariablesSnapshot snapshot(store.get());
  ASSERT_EQ(0, store->set("changed", "new"));
  ASSERT_EQ(0, store->set("added", "x"));
  store.reset();
  EXPECT_EQ((QStringList{"kept=1", "changed=old", "added: missing"}), seen(snapshot, {"kept", "changed", "added"}));
}

TEST(CopyVariablesTest, CopiesWithFlagsAndReportsTheLastSet) {
  VariablesMgr source;
  EXPECT_EQ(0, source.set("a", "new-a", VariableFlags{true, 3}));
  EXPECT_EQ(0, source.set("b", "new-b"));
  EXPECT_EQ(0, source.set("c", "new-c"));

  {
    VariablesMgr dest;
    EXPECT_EQ(0, dest.set("c", "old-c", VariableFlags{true, 1}));  // read-only and last in order
    EXPECT_EQ(700, copyVariables(dest, &source, true));
    QString value;
    VariableFlags flags;
    EXPECT_EQ(0, dest.get("a", value, flags));
    EXPECT_EQ("new-a", value);
    EXPECT_TRUE(flags.readOnly);
    EXPECT_EQ(3u, flags.category);
    EXPECT_EQ(0, dest.get("b", value));
    EXPECT_EQ("new-b", value);
    EXPECT_EQ(0, dest.get("c", value));
    EXPECT_EQ("old-c", value);
  }
  {
    VariablesMgr dest;
    EXPECT_EQ(0, dest.set("A", "old-a"));
    EXPECT_EQ(0, dest.set("b", "old-b", VariableFlags{false, 3}));
    EXPECT_EQ(0, copyVariables(dest, &source, false));
    QString value;
    VariableFlags flags;
    EXPECT_EQ(0, dest.get("a", value, flags));
    EXPECT_EQ("old-a", value);
    EXPECT_FALSE(flags.readOnly);
    EXPECT_EQ(0, dest.get("b", value, flags));
    EXPECT_EQ("old-b", value);
    EXPECT_EQ(3u, flags.category);
    EXPECT_EQ(0, dest.get("c", value));
    EXPECT_EQ("new-c", value);
    EXPECT_EQ((QStringList{"A", "b", "c"}), namesInOrder(dest));
  }
  {
    VariablesMgr dest;
    EXPECT_EQ(0, dest.set("a", "1"));
    EXPECT_EQ(0, copyVariables(dest, nullptr, true));
    EXPECT_EQ(1, dest.count());
  }
}

}  // namespace
