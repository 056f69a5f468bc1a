#include "core/properties_mgr.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// Both stores must behave the same; the locked one only adds its mutex.
template <typename Store>
class PropertiesStoreTest : public ::testing::Test {
 protected:
  Store store;
};
using StoreTypes = ::testing::Types<PropertiesMgrUnsafe, PropertiesMgr>;
TYPED_TEST_SUITE(PropertiesStoreTest, StoreTypes, );

std::uint32_t typeOf(IPropertiesGetter& store, const QString& name) {
  for (int i = 0; i < store.count(); ++i) {
    QString n;
    std::uint32_t type = 0;
    if (store.getPropertyByIndex(i, n, type) == 0 && n == name) return type;
  }
  return 0;
}

TYPED_TEST(PropertiesStoreTest, MissingNamesAndRefusedConversions) {
  auto& s = this->store;
  int i = 5;
  EXPECT_EQ(200, s.getInt("absent", i));
  EXPECT_EQ(0, s.setString("text", "5"));
  EXPECT_EQ(201, s.getInt("text", i));
  EXPECT_EQ(5, i);
  EXPECT_EQ(60, s.remove("absent"));
  void* p = nullptr;
  EXPECT_EQ(200, s.getPtr("absent", p));
}

TYPED_TEST(PropertiesStoreTest, SetOnExistingNameGoesThroughItsProperty) {
  auto& s = this->store;
  EXPECT_EQ(0, s.setULongLong("big", 1));
  EXPECT_EQ(0, s.setInt("big", -1));
  std::uint64_t big = 0;
  EXPECT_EQ(0, s.getULongLong("big", big));
  EXPECT_EQ(std::numeric_limits<std::uint64_t>::max(), big);
  EXPECT_EQ(3u, typeOf(s, "big"));

  EXPECT_EQ(0, s.setBool("flag", true));
  EXPECT_EQ(201, s.setInt("flag", 0));
  bool flag = false;
  EXPECT_EQ(0, s.getBool("flag", flag));
  EXPECT_TRUE(flag);
  EXPECT_EQ(6u, typeOf(s, "flag"));

  EXPECT_EQ(0, s.setStringList("list", {"a", "b"}));
  EXPECT_EQ(8u, typeOf(s, "list"));
  EXPECT_EQ(0, s.setString("list", "x"));
  std::vector<QString> list;
  EXPECT_EQ(0, s.getStringList("list", list));
  EXPECT_EQ(std::vector<QString>{"x"}, list);
}

TYPED_TEST(PropertiesStoreTest, NamesAreExactAndIndexFollowsNameOrder) {
  auto& s = this->store;
  EXPECT_EQ(0, s.setString("b", "1"));
  EXPECT_EQ(0, s.setInt("B", 2));
  EXPECT_EQ(0, s.setDouble("a", 3.0));
  EXPECT_EQ(0, s.setString("b", "again"));
  ASSERT_EQ(3, s.count());
  EXPECT_TRUE(s.contains("B"));
  EXPECT_FALSE(s.contains("A"));

  const std::pair<QString, std::uint32_t> want[] = {{"B", 5}, {"a", 2}, {"b", 1}};
  for (int i = 0; i < 3; ++i) {
    QString name;
    std::uint32_t type = 0;
    ASSERT_EQ(0, s.getPropertyByIndex(i, name, type));
    EXPECT_EQ(want[i].first, name);
    EXPECT_EQ(want[i].second, type);
  }
  QString name = "keep";
  std::uint32_t type = 9;
  EXPECT_EQ(200, s.getPropertyByIndex(3, name, type));
  EXPECT_EQ(200, s.getPropertyByIndex(-1, name, type));
  EXPECT_EQ("keep", name);

  EXPECT_EQ(0, s.remove("a"));
  EXPECT_EQ(2, s.count());
  EXPECT_EQ(0, s.clear());
  EXPECT_EQ(0, s.count());
}

TYPED_TEST(PropertiesStoreTest, CopyFromKeepsOrConvertsExistingEntries) {
  PropertiesMgrUnsafe source;
  EXPECT_EQ(0, source.setString("s", "text"));
  EXPECT_EQ(0, source.setInt("n", -1));
  EXPECT_EQ(0, source.setBool("b", true));
  EXPECT_EQ(0, source.setPtr("p", &source));
  EXPECT_EQ(0, source.setStringList("l", {"x", "y"}));
  EXPECT_EQ(0, source.setDouble("d", 2.5));
  EXPECT_EQ(0, source.setULong("u", 7));
  EXPECT_EQ(0, source.setULongLong("q", 8));

  {
    TypeParam keep;
    EXPECT_EQ(0, keep.setDouble("n", 1.5));
    EXPECT_EQ(0, keep.setString("s", "mine"));
    EXPECT_EQ(0, keep.copyFrom(&source, false));
    EXPECT_EQ(8, keep.count());
    double d = 0;
    EXPECT_EQ(0, keep.getDouble("n", d));
    EXPECT_EQ(1.5, d);
    EXPECT_EQ(2u, typeOf(keep, "n"));
    QString s;
    EXPECT_EQ(0, keep.getString("s", s));
    EXPECT_EQ("mine", s);
    void* p = nullptr;
    EXPECT_EQ(0, keep.getPtr("p", p));
    EXPECT_EQ(&source, p);
    std::vector<QString> l;
    EXPECT_EQ(0, keep.getStringList("l", l));
    EXPECT_EQ((std::vector<QString>{"x", "y"}), l);
  }
  {
    TypeParam over;
    EXPECT_EQ(0, over.setULongLong("n", 0));  // takes the Int by sign extension
    EXPECT_EQ(0, over.setBool("s", false));   // refuses text
    EXPECT_EQ(0, over.setStringList("d", {"z"}));  // refuses a double
    EXPECT_EQ(0, over.copyFrom(&source, true));
    std::uint64_t n = 0;
    EXPECT_EQ(0, over.getULongLong("n", n));
    EXPECT_EQ(std::numeric_limits<std::uint64_t>::max(), n);
    EXPECT_EQ(3u, typeOf(over, "n"));
    bool b = true;
    EXPECT_EQ(0, over.getBool("s", b));
    EXPECT_FALSE(b);
    std::vector<QString> d;
    EXPECT_EQ(0, over.getStringList("d", d));
    EXPECT_EQ(std::vector<QString>{"z"}, d);
  }
  EXPECT_EQ(0, this->store.copyFrom(nullptr, true));
}

// A store of another kind: copyFrom can read it through the getter interface only.
class ForeignStore : public IPropertiesGetter {
 public:
  explicit ForeignStore(IPropertiesGetter& inner) : inner_(inner) {}
  int getString(const QString& n, QString& v) override { return inner_.getString(n, v); }
  int getDouble(const QString& n, double& v) override { return inner_.getDouble(n, v); }
  int getULongLong(const QString& n, std::uint64_t& v) override { return inner_.getULongLong(n, v); }
  int getULong(const QString& n, std::uint32_t& v) override { return inner_.getULong(n, v); }
  int getBool(const QString& n, bool& v) override { return inner_.getBool(n, v); }
  int getInt(const QString& n, int& v) override { return inner_.getInt(n, v); }
  int getPtr(const QString& n, void*& v) override { return inner_.getPtr(n, v); }
  int getStringList(const QString& n, std::vector<QString>& v) override { return inner_.getStringList(n, v); }
  bool contains(const QString& n) override { return inner_.contains(n); }
  int count() override { return inner_.count(); }
  int getPropertyByIndex(int i, QString& n, std::uint32_t& t) override { return inner_.getPropertyByIndex(i, n, t); }

 private:
  IPropertiesGetter& inner_;
};

void fillEveryType(IPropertiesSetter& s, void* pointer) {
  EXPECT_EQ(0, s.setString("s", "text"));
  EXPECT_EQ(0, s.setInt("n", -1));
  EXPECT_EQ(0, s.setBool("b", true));
  EXPECT_EQ(0, s.setPtr("p", pointer));
  EXPECT_EQ(0, s.setStringList("l", {"x", "y"}));
  EXPECT_EQ(0, s.setDouble("d", 2.5));
  EXPECT_EQ(0, s.setULong("u", 7));
  EXPECT_EQ(0, s.setULongLong("q", 8));
}

// What a new task does with its element's attributes: every entry arrives with its own
// type and value, whatever kind of store it comes from, and is the new store's own.
TYPED_TEST(PropertiesStoreTest, CopyIntoANewStoreTakesEveryEntryAsItsOwn) {
  PropertiesMgrUnsafe plain;
  fillEveryType(plain, &plain);
  PropertiesMgr locked;
  fillEveryType(locked, &plain);
  PropertiesMgrUnsafe sharing(plain);  // its properties are shared with plain
  ForeignStore foreign(plain);
  const struct {
    const char* name;
    IPropertiesGetter* source;
  } sources[] = {{"plain", &plain}, {"locked", &locked}, {"copied", &sharing}, {"foreign", &foreign}};
  for (const auto& c : sources) {
    TypeParam target;
    EXPECT_EQ(0, target.copyFrom(c.source, false)) << c.name;
    ASSERT_EQ(8, target.count()) << c.name;
    for (int i = 0; i < 8; ++i) {
      QString name, sourceName;
      std::uint32_t type = 0, sourceType = 0;
      ASSERT_EQ(0, target.getPropertyByIndex(i, name, type));
      ASSERT_EQ(0, c.source->getPropertyByIndex(i, sourceName, sourceType));
      EXPECT_EQ(sourceName, name) << c.name;
      EXPECT_EQ(sourceType, type) << c.name << " " << qPrintable(name);
      QString text, sourceText;
      EXPECT_EQ(0, target.getString(name, text));
      EXPECT_EQ(0, c.source->getString(name, sourceText));
      EXPECT_EQ(sourceText, text) << c.name << " " << qPrintable(name);
    }
    EXPECT_EQ(0, target.setString("s", "changed"));
    EXPECT_EQ(0, target.setInt("n", 5));
    QString text;
    int n = 0;
    EXPECT_EQ(0, c.source->getString("s", text));
    EXPECT_EQ(0, c.source->getInt("n", n));
    EXPECT_EQ("text", text) << c.name;
    EXPECT_EQ(-1, n) << c.name;
  }
}

// Beyond a handful of names a store finds them by halves: order and lookups must still
// follow QString's own order, letter case and all.
TYPED_TEST(PropertiesStoreTest, ManyNamesKeepQStringOrder) {
  auto& s = this->store;
  QStringList names;
  for (const char* stem : {"alpha", "Alpha", "beta", "b", "z9", "Z", "_x", "0", "projectName", "project"})
    for (const char* tail : {"", "1", ".x", "\xc3\xa9"})
      names << QString::fromUtf8(stem) + QString::fromUtf8(tail);
  names << QString::fromUtf8("\xce\xa9mega") << QString::fromUtf8("\xf0\x9f\x98\x80");
  // Added out of order (5 shares no factor with the 42 names).
  for (int i = 0; i < names.size(); ++i)
    EXPECT_EQ(0, s.setInt(names[(i * 5) % names.size()], (i * 5) % names.size()));
  ASSERT_EQ(names.size(), s.count());

  QStringList sorted = names;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < sorted.size(); ++i) {
    QString name;
    std::uint32_t type = 0;
    ASSERT_EQ(0, s.getPropertyByIndex(i, name, type));
    EXPECT_EQ(sorted[i], name);
    int value = -1;
    EXPECT_EQ(0, s.getInt(sorted[i], value));
    EXPECT_EQ(names.indexOf(sorted[i]), value);
    const QByteArray latin1 = sorted[i].toLatin1();
    if (QString::fromLatin1(latin1) != sorted[i]) continue;
    QString text;  // the same entry by a fixed Latin-1 key, as the tasks read theirs
    EXPECT_EQ(0, s.getString(QLatin1String(latin1.constData(), latin1.size()), text)) << latin1.constData();
    EXPECT_EQ(QString::number(value), text);
  }
  int value = 0;
  EXPECT_EQ(200, s.getInt("alph", value));
  EXPECT_EQ(200, s.getInt("ALPHA", value));
  EXPECT_FALSE(s.contains("projectNam"));
}

TYPED_TEST(PropertiesStoreTest, CopyFromItselfChangesNothing) {
  auto& s = this->store;
  EXPECT_EQ(0, s.setString("a", "1"));
  EXPECT_EQ(0, s.copyFrom(&s, true));
  EXPECT_EQ(0, s.copyFrom(&s, false));
  EXPECT_EQ(1, s.count());
}

TEST(PropertiesMgrUnsafeTest, CopySharesPropertiesButNotNames) {
  PropertiesMgrUnsafe source;
  EXPECT_EQ(0, source.setString("shared", "old"));
  PropertiesMgrUnsafe copy(source);
  EXPECT_EQ(0, copy.setString("shared", "new"));
  EXPECT_EQ(0, copy.setString("own", "x"));
  EXPECT_EQ(0, copy.remove("shared"));

  QString v;
  EXPECT_EQ(0, source.getString("shared", v));
  EXPECT_EQ("new", v);
  EXPECT_FALSE(source.contains("own"));
  EXPECT_EQ(1, source.count());
}

}  // namespace
