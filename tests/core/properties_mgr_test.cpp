#include "core/properties_mgr.h"

#include <gtest/gtest.h>

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
