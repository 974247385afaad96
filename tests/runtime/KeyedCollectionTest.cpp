#include <gtest/gtest.h>

#include "runtime/KeyedCollection.h"

namespace corvane::runtime {
namespace {

struct Item {
    Text name;
};

class KeyedCollectionTest : public ::testing::Test {
protected:
    std::shared_ptr<Item> Make(const char16_t *name) { return std::make_shared<Item>(Item{name}); }

    static Text Names(const KeyedCollection<Item> &of) {
        Text names;
        for (const auto &item : of.Items()) names += item->name;
        return names;
    }
    Text Names() const { return Names(list); }

    void Fill(const char16_t *names) {
        for (const char16_t *c = names; *c; ++c) ASSERT_TRUE(list.Add(Make(Text(1, *c).c_str())));
    }

    KeyedCollection<Item> list;
};

TEST_F(KeyedCollectionTest, InsertsBeforeAfterOrAtTheEnd) {
    Fill(u"ABC");
    struct Case {
        int32_t before, after;
        Text expected;
    };
    const Case cases[] = {
        {3, 1, u"ABxC"},  // before wins over after
        {0, 2, u"ABxC"},
        {-1, 3, u"ABCx"},
        {1, 0, u"xABC"},
        {0, 0, u"ABCx"},
    };
    for (const auto &[before, after, expected] : cases) {
        KeyedCollection<Item> copy = list;
        ASSERT_TRUE(copy.Add(Make(u"x"), {}, before, after));
        EXPECT_EQ(Names(copy), expected) << before << "/" << after;
    }
}

TEST_F(KeyedCollectionTest, FailedInsertLeavesTheListUnchanged) {
    ASSERT_TRUE(list.Add(Make(u"A"), u"Song"));
    Fill(u"BC");
    EXPECT_FALSE(list.Add(Make(u"x"), u"song"));       // key in use, in any letter case
    EXPECT_FALSE(list.Add(Make(u"x"), u"new", 9));     // no element 9
    EXPECT_FALSE(list.Add(Make(u"x"), {}, 0, 4));      // no element 4
    EXPECT_EQ(Names(), u"ABC");
    EXPECT_EQ(list.PositionOfKey(u"new"), 0);
}

TEST_F(KeyedCollectionTest, LooksUpByPositionOrCaseInsensitiveKey) {
    Fill(u"A");
    ASSERT_TRUE(list.Add(Make(u"B"), u"Intro"));
    ASSERT_TRUE(list.Add(Make(u"C"), u"3"));
    EXPECT_EQ(list.Find(Variant(2))->name, u"B");
    EXPECT_EQ(list.Find(Variant(2.0))->name, u"B");
    EXPECT_EQ(list.Find(Variant(u"INTRO"))->name, u"B");
    EXPECT_EQ(list.Find(Variant(u"3"))->name, u"C");  // a text is a key, never a position
    EXPECT_EQ(list.Find(Variant(u"2")), nullptr);
    EXPECT_EQ(list.Find(Variant(0)), nullptr);
    EXPECT_EQ(list.Find(Variant(4)), nullptr);
    EXPECT_EQ(list.Find(Variant(u"")), nullptr);
    EXPECT_EQ(list.KeyAt(2), u"Intro");  // stored as written
}

TEST_F(KeyedCollectionTest, RemovalMovesLaterElementsUpAndFreesTheKey) {
    Fill(u"AB");
    ASSERT_TRUE(list.Add(Make(u"C"), u"Key"));
    Fill(u"D");
    EXPECT_TRUE(list.Remove(Variant(u"key")));
    EXPECT_EQ(Names(), u"ABD");
    EXPECT_TRUE(list.Remove(Variant(1)));
    EXPECT_EQ(Names(), u"BD");
    EXPECT_FALSE(list.Remove(Variant(3)));
    EXPECT_FALSE(list.Remove(Variant(u"Key")));
    EXPECT_TRUE(list.Add(Make(u"E"), u"KEY"));
    EXPECT_EQ(list.PositionOfKey(u"key"), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Add(Make(u"F"), u"Key"));
}

TEST_F(KeyedCollectionTest, TheSameObjectMayStandTwiceUnderDifferentKeys) {
    auto item = Make(u"A");
    ASSERT_TRUE(list.Add(item, u"first"));
    ASSERT_TRUE(list.Add(item, u"second", 1));
    EXPECT_TRUE(list.RemoveAt(2));
    EXPECT_EQ(list.PositionOfKey(u"second"), 1);
    EXPECT_EQ(list.PositionOfKey(u"first"), 0);
}

}  // namespace
}  // namespace corvane::runtime
