// Adding, removing, looking up and moving play-list entries, and the running
// total of their lengths.
#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

const Variant kOmitted = Variant::Missing();

class PlayListEditingTest : public PlayListTest {
protected:
    PlayListEditingTest() {
        for (auto [name, seconds] : {std::pair{"V", 10}, {"W", 20}, {"X", 30}, {"Y", 40}, {"Z", 50}})
            AddFile(name, seconds);
    }
};

TEST_F(PlayListEditingTest, AFailedAddRaisesAndChangesNothing) {
    ASSERT_TRUE(Add("V", kOmitted, kOmitted, Text(u"Song")));
    const Text keyInUse = u"This key is already associated with an element of this collection.";
    const Text addSource = u"CorvaneMP3.CVMP3PlayList.AddEntry";
    struct Case { const char *name; Variant before; Text key; int32_t number; Text description, source; };
    const Case cases[] = {
        {"W", kOmitted, u"song", 457, keyInUse, addSource},  // keys match without regard to case
        {"W", int32_t{2}, u"k", 457, keyInUse, addSource},   // with a key, a missing position is 457 too
        {"missing.mp3", kOmitted, u"key", 53, u"Can't find specified file. (File not found)", u"CVMP3Player"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectError(ErrorOf([&] { Add(c.name, c.before, kOmitted, c.key); }), c.number, c.description, c.source);
        EXPECT_EQ(Order(), "V");
        EXPECT_EQ(list.TotalPlayListTime(), 10);
    }
    EXPECT_EQ(list.PlayListEntries(Text(u"SONG"))->Key(), u"Song");
}

TEST_F(PlayListEditingTest, AddAtAPositionAndLookupByPositionOrKey) {
    AddAll({"V"});
    ASSERT_TRUE(Add("W", kOmitted, kOmitted, Text(u"3")));
    EXPECT_FALSE(Add("X", int32_t{3}));  // without a key, a position past the end adds nothing
    EXPECT_FALSE(Add("X", kOmitted, int32_t{3}));
    ASSERT_TRUE(Add("X", int32_t{2}));
    ASSERT_TRUE(Add("Y", kOmitted, int32_t{3}));
    AddAll({"V"});  // the same file again is a new entry
    EXPECT_EQ(Order(), "VXWYV");
    EXPECT_EQ(list.TotalPlayListTime(), 110);
    EXPECT_EQ(list.PlayListEntries(3.0)->Filename(), u"W");
    EXPECT_EQ(list.PlayListEntries(Text(u"3"))->Filename(), u"W");  // a text is a key
    for (const Variant &none : {Variant(int32_t{0}), Variant(int32_t{6}), Variant(Text(u"intro")), Variant(Text()),
                                Variant(), kOmitted})
        EXPECT_EQ(list.PlayListEntries(none), nullptr);
}

// Later entries move up a place; the total loses the removed entry's length
// and the key is free again.
TEST_F(PlayListEditingTest, RemovalShiftsLaterEntriesAndFreesTheKey) {
    AddAll({"V", "W"});
    ASSERT_TRUE(Add("X", kOmitted, kOmitted, Text(u"x")));
    AddAll({"Y", "Z"});
    list.RemoveEntry(int32_t{2});
    EXPECT_EQ(Order(), "VXYZ");
    EXPECT_EQ(list.TotalPlayListTime(), 130);
    EXPECT_EQ(list.PlayListEntries(int32_t{2}), list.PlayListEntries(Text(u"x")));
    list.RemoveEntry(Text(u"X"));
    EXPECT_EQ(Order(), "VYZ");
    EXPECT_EQ(list.TotalPlayListTime(), 100);
    EXPECT_TRUE(Add("X", int32_t{1}, kOmitted, Text(u"x")));
    for (const Variant &none : {Variant(int32_t{0}), Variant(int32_t{5}), Variant(Text(u"nothing"))}) {
        ExpectError(ErrorOf([&] { list.RemoveEntry(none); }), 30078,
                    u"There is no PlayList entry " + none.ToText() + u".", u"");
        EXPECT_EQ(Order(), "XVYZ");
    }
    list.RemoveEntry(int32_t{4});
    EXPECT_EQ(list.TotalPlayListTime(), 80);
}

TEST_F(PlayListEditingTest, MovesFollowTheMovementTable) {
    struct Case { int32_t from; CorvanePlayListMovement moveTo; int32_t target; std::string order; bool noTarget = false; };
    const Case cases[] = {
        {3, corMP3MoveNone, 0, "VWXYZ"}, {3, corMP3MoveUpOne, 0, "VXWYZ"}, {1, corMP3MoveUpOne, 0, "VWXYZ"},
        {3, corMP3MoveDownOne, 0, "VWYXZ"}, {5, corMP3MoveDownOne, 0, "VWXYZ"}, {4, corMP3MoveToTop, 0, "YVWXZ"},
        {1, corMP3MoveToTop, 0, "VWXYZ"}, {2, corMP3MoveToBottom, 0, "VXYZW"}, {5, corMP3MoveToBottom, 0, "VWXYZ"},
        {2, corMP3MoveBeforeFile, 5, "VXYWZ"}, {5, corMP3MoveBeforeFile, 2, "VZWXY"}, {3, corMP3MoveBeforeFile, 3, "VWXYZ"},
        {2, corMP3MoveBeforeFile, 3, "VWXYZ"}, {5, corMP3MoveAfterFile, 2, "VWZXY"}, {1, corMP3MoveAfterFile, 3, "WXVYZ"},
        {4, corMP3MoveAfterFile, 3, "VWXYZ"}, {1, corMP3MoveAfterFile, 5, "WXYZV"}, {2, CorvanePlayListMovement{7}, 4, "VWXYZ"},
        {0, corMP3MoveToTop, 0, "VWXYZ"}, {6, corMP3MoveUpOne, 0, "VWXYZ"},
        {3, corMP3MoveToTop, 9, "XVWYZ"},  // the target plays no part
        // A target that is not there raises and moves nothing.
        {2, corMP3MoveAfterFile, 0, "VWXYZ", true}, {2, corMP3MoveAfterFile, 6, "VWXYZ", true},
    };
    for (Case c : cases) {
        list.Clear();
        AddAll({"V", "W", "X", "Y", "Z"});
        auto move = [&] { list.MovePlayListEntry(c.from, c.moveTo, c.target); };
        if (c.noTarget)
            ExpectError(ErrorOf(move), 30078, u"There is no PlayList entry '" + runtime::ToText(int64_t{c.target}) + u"'.", u"");
        else
            move();
        EXPECT_EQ(Order(), c.order) << "from " << c.from << " by " << c.moveTo << " target " << c.target;
        EXPECT_EQ(list.TotalPlayListTime(), 150);
    }
}

}  // namespace
}  // namespace corvane::testing
