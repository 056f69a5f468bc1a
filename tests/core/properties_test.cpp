#include "core/properties.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int kUnsupported = PropertyBase::kUnsupported;
int g_target = 0;
int g_sentinelTarget = 0;
void* const kPtr = &g_target;
void* const kSentinelPtr = &g_sentinelTarget;

QString ptrText(void* p) { return QString::number(reinterpret_cast<quintptr>(p)); }
QString listText(const std::vector<QString>& list) {
  QString out = QStringLiteral("[");
  for (std::size_t i = 0; i < list.size(); ++i) out += (i ? QStringLiteral("|") : QString()) + list[i];
  return out + QStringLiteral("]");
}
QString exactDouble(double d) { return QString::number(d, 'g', 17); }

// Each getter writes into an out-argument that starts as a sentinel, so a refused
// conversion must leave the sentinel's text.
struct Getter {
  const char* name;
  QString sentinel;
  std::function<int(PropertyBase&, QString&)> run;
};

const std::vector<Getter>& getters() {
  static const std::vector<Getter> g = {
      {"getString", "unset",
       [](PropertyBase& p, QString& out) {
         QString v = QStringLiteral("unset");
         int rc = p.getString(v);
         out = v;
         return rc;
       }},
      {"getDouble", exactDouble(-7.25),
       [](PropertyBase& p, QString& out) {
         double v = -7.25;
         int rc = p.getDouble(v);
         out = exactDouble(v);
         return rc;
       }},
      {"getULongLong", "77",
       [](PropertyBase& p, QString& out) {
         std::uint64_t v = 77;
         int rc = p.getULongLong(v);
         out = QString::number(v);
         return rc;
       }},
      {"getULong", "77",
       [](PropertyBase& p, QString& out) {
         std::uint32_t v = 77;
         int rc = p.getULong(v);
         out = QString::number(v);
         return rc;
       }},
      {"getBool", "false",
       [](PropertyBase& p, QString& out) {
         bool v = false;
         int rc = p.getBool(v);
         out = v ? "true" : "false";
         return rc;
       }},
      {"getInt", "77",
       [](PropertyBase& p, QString& out) {
         int v = 77;
         int rc = p.getInt(v);
         out = QString::number(v);
         return rc;
       }},
      {"getPtr", ptrText(kSentinelPtr),
       [](PropertyBase& p, QString& out) {
         void* v = kSentinelPtr;
         int rc = p.getPtr(v);
         out = ptrText(v);
         return rc;
       }},
      {"getStringList", "[old]",
       [](PropertyBase& p, QString& out) {
         std::vector<QString> v = {"old"};
         int rc = p.getStringList(v);
         out = listText(v);
         return rc;
       }},
  };
  return g;
}

struct Setter {
  const char* name;
  std::function<int(PropertyBase&)> run;
};

// Inputs chosen so that a wrong extension or truncation shows: -1 for the signed
// int, a ULong above the signed range.
const std::vector<Setter>& setters() {
  static const std::vector<Setter> s = {
      {"setString", [](PropertyBase& p) { return p.setString("x"); }},
      {"setDouble", [](PropertyBase& p) { return p.setDouble(3.5); }},
      {"setULongLong", [](PropertyBase& p) { return p.setULongLong(7); }},
      {"setULong", [](PropertyBase& p) { return p.setULong(4000000000u); }},
      {"setBool", [](PropertyBase& p) { return p.setBool(true); }},
      {"setInt", [](PropertyBase& p) { return p.setInt(-1); }},
      {"setPtr", [](PropertyBase& p) { return p.setPtr(kPtr); }},
      {"setStringList", [](PropertyBase& p) { return p.setStringList({"p", "q"}); }},
  };
  return s;
}

struct Type {
  const char* name;
  std::uint32_t typeId;
  std::function<std::unique_ptr<PropertyBase>()> make;
  int ownGetter;  // index into getters(): reads the stored value back exactly
};

// Sample values: max for ULongLong, a ULong above INT_MAX, -1 for Int.
const std::vector<Type>& types() {
  static const std::vector<Type> t = {
      {"String", 1, [] { return std::make_unique<PropertyString>("5"); }, 0},
      {"Double", 2, [] { return std::make_unique<PropertyDouble>(2.5); }, 1},
      {"ULongLong", 3,
       [] { return std::make_unique<PropertyULongLong>(std::numeric_limits<std::uint64_t>::max()); }, 2},
      {"ULong", 4, [] { return std::make_unique<PropertyULong>(4000000000u); }, 3},
      {"Int", 5, [] { return std::make_unique<PropertyInt>(-1); }, 5},
      {"Bool", 6, [] { return std::make_unique<PropertyBool>(true); }, 4},
      {"Ptr", 7, [] { return std::make_unique<PropertyPtr>(kPtr); }, 6},
      {"StringList", 8, [] { return std::make_unique<PropertyStringList>(std::vector<QString>{"a", "b"}); }, 7},
  };
  return t;
}

struct Cell {
  int rc;
  QString value;  // for a refusal: empty, meaning "out-argument or value untouched"
};
const Cell no{kUnsupported, QString()};

TEST(PropertyTest, EveryGetterAndSetterAgainstEveryType) {
  const QString maxU64 = "18446744073709551615";
  const QString addr = ptrText(kPtr);
  // Rows: getters; columns: String, Double, ULongLong, ULong, Int, Bool, Ptr, StringList.
  const std::vector<std::vector<Cell>> getTable = {
      {{0, "5"}, {0, "2.5"}, {0, maxU64}, {0, "4000000000"}, {0, "-1"}, {0, "true"}, {0, addr}, {0, "a\r\nb"}},
      {no, {0, exactDouble(2.5)}, {0, exactDouble(18446744073709551616.0)}, {0, exactDouble(4e9)},
       {0, exactDouble(-1.0)}, {0, exactDouble(1.0)}, no, no},
      {no, no, {0, maxU64}, {0, "4000000000"}, {0, maxU64}, {0, "1"}, no, no},
      {no, no, no, {0, "4000000000"}, {0, "4294967295"}, {0, "1"}, no, no},
      {no, {0, "true"}, {0, "true"}, {0, "true"}, {0, "true"}, {0, "true"}, no, no},
      {no, no, no, no, {0, "-1"}, {0, "1"}, no, no},
      {no, no, no, no, no, no, {0, addr}, no},
      {{0, "[5]"}, {0, "[2.5]"}, {0, "[" + maxU64 + "]"}, {0, "[4000000000]"}, {0, "[-1]"}, {0, "[true]"},
       {0, "[" + addr + "]"}, {0, "[a|b]"}},
  };
  // Rows: setters; value: the property's own value read back afterwards.
  const std::vector<std::vector<Cell>> setTable = {
      {{0, "x"}, no, no, no, no, no, no, {0, "[x]"}},
      {no, {0, exactDouble(3.5)}, no, no, no, no, no, no},
      {no, no, {0, "7"}, no, no, no, no, no},
      {no, no, {0, "4000000000"}, {0, "4000000000"}, no, no, no, no},
      {no, no, {0, "1"}, {0, "1"}, {0, "1"}, {0, "true"}, no, no},
      {no, no, {0, maxU64}, {0, "4294967295"}, {0, "-1"}, no, no, no},
      {no, no, no, no, no, no, {0, addr}, no},
      {{0, "p"}, no, no, no, no, no, no, {0, "[p|q]"}},
  };

  for (std::size_t col = 0; col < types().size(); ++col) {
    const Type& type = types()[col];
    for (std::size_t row = 0; row < getters().size(); ++row) {
      const Getter& getter = getters()[row];
      const Cell& want = getTable[row][col];
      auto prop = type.make();
      QString got;
      EXPECT_EQ(want.rc, getter.run(*prop, got)) << type.name << "." << getter.name;
      EXPECT_EQ(want.value.isNull() ? getter.sentinel : want.value, got) << type.name << "." << getter.name;
      EXPECT_EQ(type.typeId, prop->typeId()) << type.name;
    }
    for (std::size_t row = 0; row < setters().size(); ++row) {
      const Setter& setter = setters()[row];
      const Cell& want = setTable[row][col];
      auto prop = type.make();
      QString before;
      getters()[type.ownGetter].run(*prop, before);
      EXPECT_EQ(want.rc, setter.run(*prop)) << type.name << "." << setter.name;
      QString after;
      getters()[type.ownGetter].run(*prop, after);
      EXPECT_EQ(want.value.isNull() ? before : want.value, after) << type.name << "." << setter.name;
      EXPECT_EQ(type.typeId, prop->typeId()) << type.name << " keeps its type";
    }
  }
}

TEST(PropertyTest, TextFormsOfNumbersAndLists) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<PropertyBase>()> make;
    QString text;
  };
  const Case cases[] = {
      {"double 0.1", [] { return std::make_unique<PropertyDouble>(0.1); }, "0.1"},
      {"double one million", [] { return std::make_unique<PropertyDouble>(1e6); }, "1e+06"},
      {"double seven digits", [] { return std::make_unique<PropertyDouble>(1234567.0); }, "1.23457e+06"},
      {"false", [] { return std::make_unique<PropertyBool>(false); }, "false"},
      {"empty list", [] { return std::make_unique<PropertyStringList>(); }, ""},
      {"one-item list", [] { return std::make_unique<PropertyStringList>(std::vector<QString>{"a"}); }, "a"},
      {"null pointer", [] { return std::make_unique<PropertyPtr>(nullptr); }, "0"},
  };
  for (const Case& c : cases) {
    QString text = "unset";
    EXPECT_EQ(0, c.make()->getString(text)) << c.name;
    EXPECT_EQ(c.text, text) << c.name;
  }
}

TEST(PropertyTest, ZeroReadsAsFalse) {
  std::unique_ptr<PropertyBase> zeros[] = {
      std::make_unique<PropertyDouble>(0.0), std::make_unique<PropertyULongLong>(0),
      std::make_unique<PropertyULong>(0), std::make_unique<PropertyInt>(0)};
  for (auto& p : zeros) {
    bool b = true;
    EXPECT_EQ(0, p->getBool(b)) << p->typeId();
    EXPECT_FALSE(b) << p->typeId();
  }
  bool b = true;
  PropertyDouble tiny(-1e-300);
  EXPECT_EQ(0, tiny.getBool(b));
  EXPECT_TRUE(b);
}

TEST(PropertyTest, StringListInputEdges) {
  PropertyString text("old");
  EXPECT_EQ(0, text.setStringList({}));
  QString v = "unset";
  EXPECT_EQ(0, text.getString(v));
  EXPECT_EQ("", v);

  PropertyStringList list({"a", "b"});
  EXPECT_EQ(0, list.setStringList({}));
  std::vector<QString> out = {"old"};
  EXPECT_EQ(0, list.getStringList(out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
