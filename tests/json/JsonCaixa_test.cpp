// The container's members: order, exact names, positions, keys and their refusals.
#include <cmath>

#include <gtest/gtest.h>

#include "JsonCaixa.h"
#include "JsonExpect.h"

namespace vtx::test {
namespace {

using Bag = std::shared_ptr<JsonCaixa>;

Bag arrayOf(std::initializer_list<JsonValue> items) {
    auto bag = std::make_shared<JsonCaixa>();
    bag->IsArray(true);
    for (const JsonValue& v : items)
        bag->Item(nullptr, v);
    return bag;
}

TEST(JsonCaixaTest, NewBagIsAnEmptyObjectAndKindIsFixedOnceFilled) {
    JsonCaixa bag;
    EXPECT_EQ(bag.Count(), 0);
    EXPECT_FALSE(bag.IsArray());
    EXPECT_FALSE(bag.DecimalMode());
    EXPECT_FALSE(bag.Whitespace);
    EXPECT_EQ(bag.JSON(), QStringLiteral("{}"));
    EXPECT_EQ(bag.Version(), QStringList{QStringLiteral("1.7")});

    bag.IsArray(true);
    EXPECT_EQ(bag.JSON(), QStringLiteral("[]"));
    bag.Item(nullptr, 1);
    EXPECT_TRUE(failsWith([&] { bag.IsArray(false); }, 5,
                          QStringLiteral("Cannot change IsArray setting after items have been "
                                         "added")));
    EXPECT_TRUE(bag.IsArray());
    EXPECT_EQ(bag.Count(), 1);

    // Clear empties and makes an object again; the modes stay.
    bag.DecimalMode(true);
    bag.Whitespace = true;
    bag.Clear();
    EXPECT_EQ(bag.Count(), 0);
    EXPECT_FALSE(bag.IsArray());
    EXPECT_TRUE(bag.DecimalMode());
    EXPECT_TRUE(bag.Whitespace);
}

TEST(JsonCaixaTest, ReassignedMemberMovesToTheEnd) {
    JsonCaixa bag;
    bag.Item("a", 1);
    bag.Item("b", 2);
    bag.Item("a", 3);
    EXPECT_EQ(bag.Count(), 2);
    EXPECT_EQ(bag.NewEnum(), (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_EQ(bag.Name(1), QStringLiteral("b"));
    EXPECT_EQ(bag.Item("a"), JsonValue(3));
    EXPECT_EQ(bag.Item(2), JsonValue(3));
    EXPECT_EQ(bag.JSON(), QStringLiteral("{\"b\":2,\"a\":3}"));
}

TEST(JsonCaixaTest, NamesAreExactIncludingCase) {
    JsonCaixa bag;
    bag.Item("a", 1);
    EXPECT_FALSE(bag.Exists("A"));
    bag.Item("A", 2);
    EXPECT_EQ(bag.Count(), 2);
    EXPECT_EQ(bag.Item("a"), JsonValue(1));
    EXPECT_EQ(bag.Item("A"), JsonValue(2));
    EXPECT_TRUE(failsWith([&] { bag.Item("\u00c1"); }, 5,
                          QStringLiteral("Invalid procedure call or argument")));
}

TEST(JsonCaixaTest, LargeObjectKeepsOrderAndFindsEveryName) {
    // Past the small-object scan the names are found through the hash table.
    JsonCaixa bag;
    for (int i = 0; i < 300; ++i)
        bag.Item(QStringLiteral("k%1").arg(i), i);
    bag.Item("k7", -7);
    bag.Remove("k100");
    bag.Remove(1);
    EXPECT_EQ(bag.Count(), 298);
    EXPECT_EQ(bag.Name(1), QStringLiteral("k1"));
    EXPECT_EQ(bag.Name(bag.Count()), QStringLiteral("k7"));
    for (int i = 1; i < 300; ++i) {
        if (i == 100 || i == 7)
            continue;
        ASSERT_EQ(bag.Item(QStringLiteral("k%1").arg(i)), JsonValue(i)) << i;
    }
    EXPECT_EQ(bag.Item("k7"), JsonValue(-7));
    EXPECT_FALSE(bag.Exists("k100"));
    EXPECT_FALSE(bag.Exists("k0"));
}

TEST(JsonCaixaTest, ArrayItemsReplaceInPlaceOrAppend) {
    Bag bag = arrayOf({"a", "b", "c"});
    bag->Item(nullptr, "x");
    EXPECT_EQ(bag->Count(), 4);
    bag->Item(10, "y");
    EXPECT_EQ(bag->Count(), 5);
    EXPECT_EQ(bag->Item(5), JsonValue("y"));
    bag->Item(5, "z");
    bag->Item(1, "w");
    EXPECT_EQ(bag->Count(), 5);
    EXPECT_EQ(bag->JSON(), QStringLiteral("[\"w\",\"b\",\"c\",\"x\",\"z\"]"));
    EXPECT_TRUE(failsWith([&] { bag->Item(0, "v"); }, 5,
                          QStringLiteral("Invalid procedure call or argument")));
    // A number key rounds half to even, as positions do.
    EXPECT_EQ(bag->Item(2.5), JsonValue("b"));
    EXPECT_EQ(bag->Item(1.6), JsonValue("b"));
}

TEST(JsonCaixaTest, RemoveOutOfReachChangesNothing) {
    Bag bag = arrayOf({1, 2, 3});
    bag->Remove(bag->Count());
    EXPECT_EQ(bag->JSON(), QStringLiteral("[1,2]"));
    bag->Remove(bag->Count() + 1);
    EXPECT_EQ(bag->Count(), 2);
    EXPECT_TRUE(failsWith([&] { bag->Remove(0); }, 5,
                          QStringLiteral("Invalid procedure call or argument")));

    JsonCaixa object;
    object.Item("a", 1);
    object.Item("b", 2);
    object.Item("c", 3);
    object.Remove("nobody");
    object.Remove(2); // the name goes with its value
    EXPECT_EQ(object.NewEnum(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(object.JSON(), QStringLiteral("{\"a\":1,\"c\":3}"));
    object.Remove("a");
    EXPECT_EQ(object.JSON(), QStringLiteral("{\"c\":3}"));
}

TEST(JsonCaixaTest, ExistsAnswersWithoutFailing) {
    JsonCaixa object;
    object.Item("a", 1);
    object.Item("b", 2);
    EXPECT_TRUE(object.Exists(1));
    EXPECT_TRUE(object.Exists(2));
    EXPECT_FALSE(object.Exists(3));
    EXPECT_FALSE(object.Exists(0));
    EXPECT_FALSE(object.Exists(nullptr));
    EXPECT_TRUE(object.Exists("b"));

    Bag array = arrayOf({1});
    EXPECT_TRUE(array->Exists(1));
    EXPECT_FALSE(array->Exists(2));
    EXPECT_FALSE(array->Exists("a"));
    EXPECT_FALSE(array->Exists(std::nan("")));
    EXPECT_FALSE(array->Exists(QDateTime::currentDateTime()));
}

TEST(JsonCaixaTest, NewBagsAreSharedWithTheirParent) {
    auto parent = std::make_shared<JsonCaixa>();
    parent->DecimalMode(true);
    parent->IsArray(true);
    Bag child = parent->AddNewObject(nullptr);
    child->Item("n", "x");
    EXPECT_EQ(parent->Item(1).bag(), child);
    EXPECT_FALSE(child->DecimalMode());
    Bag list = parent->AddNewArray(5);
    list->Item(nullptr, true);
    EXPECT_EQ(parent->JSON(), QStringLiteral("[{\"n\":\"x\"},[true]]"));

    // Values other than bags come back as copies.
    JsonCaixa object;
    object.Item("s", "abc");
    JsonValue copy = object.Item("s");
    copy = JsonValue("changed");
    EXPECT_EQ(object.Item("s"), JsonValue("abc"));
    EXPECT_TRUE(failsWith([&] { object.AddNewArray(1); }, 5,
                          QStringLiteral("Object values can only be changed or added by key not "
                                         "by index")));
    EXPECT_EQ(object.Count(), 1);
}

TEST(JsonCaixaTest, KeysOfTheWrongKindAreRefusedAndChangeNothing) {
    Bag array = arrayOf({1});
    JsonCaixa object;
    object.Item("a", 1);
    const struct {
        std::function<void()> call;
        int number;
        const char* text;
    } cases[] = {
        {[&] { object.Item(nullptr); }, 94, "Key must be String or an index)"},
        {[&] { array->Item("a"); }, 5, "Array values can only be acessed by index"},
        {[&] { array->Item("a", 2); }, 5,
         "Array values can only be changed by index or added via Null"},
        {[&] { object.Item(nullptr, 2); }, 5,
         "Object values can only be changed or added by key not by index"},
        {[&] { object.Item(1, 2); }, 5,
         "Object values can only be changed or added by key not by index"},
        {[&] { array->Name(1); }, 5, "Array items do not have names"},
        {[&] { array->NewEnum(); }, 5, "Arrays must be iterated using index values"},
        {[&] { array->Remove("a"); }, 5, "Must remove by index for arrays"},
        {[&] { object.Item("b"); }, 5, "Invalid procedure call or argument"},
        {[&] { object.Item(2); }, 5, "Invalid procedure call or argument"},
        {[&] { object.Name(2); }, 5, "Invalid procedure call or argument"},
        {[&] { object.Item(JsonValue()); }, 5, "Invalid procedure call or argument"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(failsWith(c.call, c.number, QString::fromUtf8(c.text))) << c.text;
    EXPECT_EQ(array->JSON(), QStringLiteral("[1]"));
    EXPECT_EQ(object.JSON(), QStringLiteral("{\"a\":1}"));
}

} // namespace
} // namespace vtx::test
