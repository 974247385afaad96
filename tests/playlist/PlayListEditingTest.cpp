// Adding, removing, looking up and moving play-list entries, and the running
// total of their lengths.
#include <string>
#include <vector>

#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

const Variant kOmitted = Variant::Missing();
const Text kNoSource;

class PlayListEditingTest : public PlayListTest {
protected:
    PlayListEditingTest() {
        for (auto [name, seconds] : {std::pair{"V", 10}, {"W", 20}, {"X", 30}, {"Y", 40}, {"Z", 50}, {"N", 7}})
            AddFile(name, seconds);
    }
    void Move(int32_t from, CorvanePlayListMovement moveTo, const Variant &target = kOmitted) {
        list.MovePlayListEntry(from, moveTo, target);
    }
};

TEST_F(PlayListEditingTest, AFailedAddRaisesAndChangesNothing) {
    library->AddFile("noise.bin", "").frameResult = 0;
    ASSERT_TRUE(Add("V", kOmitted, kOmitted, Text(u"Song")));
    const Text notFound = u"Can't find specified file. (File not found)";
    const Text keyInUse = u"This key is already associated with an element of this collection.";
    const Text addSource = u"CorvaneMP3.CVMP3PlayList.AddEntry";
    struct Case {
        const char *name;
        Variant before;
        Text key;
        int32_t number;
        Text description, source;
    };
    const std::vector<Case> cases = {
        {"W", kOmitted, u"song", 457, keyInUse, addSource},  // keys match without regard to case
        {"W", int32_t{9}, u"k", 457, keyInUse, addSource},   // with a key, a missing position is 457 too
        {"missing.mp3", kOmitted, u"key", 53, notFound, u"CVMP3Player"},
        {"", kOmitted, u"", 53, notFound, u"CVMP3Player"},
        {"noise.bin", kOmitted, u"key", 30075, u"File is not a recognized audio file format.", u"CVMP3Player"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectError(ErrorOf([&] { Add(c.name, c.before, kOmitted, c.key); }), c.number, c.description, c.source);
        EXPECT_EQ(Order(), "V");
        EXPECT_EQ(list.TotalPlayListTime(), 10);
    }
    EXPECT_EQ(list.PlayListEntries(Text(u"SONG"))->Key(), u"Song");
}

TEST_F(PlayListEditingTest, LookupByPositionOrKeyNeverRaises) {
    AddAll({"V"});
    ASSERT_TRUE(Add("W", kOmitted, kOmitted, Text(u"3")));
    AddAll({"V"});  // the same file again is a new entry
    EXPECT_NE(list.PlayListEntries(int32_t{1}), list.PlayListEntries(int32_t{3}));
    EXPECT_EQ(list.PlayListEntries(2.0)->Filename(), u"W");
    EXPECT_EQ(list.PlayListEntries(Text(u"3"))->Filename(), u"W");  // a text is a key
    for (const Variant &none : {Variant(int32_t{0}), Variant(int32_t{4}), Variant(Text(u"intro")), Variant(Text()),
                                Variant(), kOmitted})
        EXPECT_EQ(list.PlayListEntries(none), nullptr);
}

TEST_F(PlayListEditingTest, MovesFollowTheMovementTable) {
    struct Case {
        int32_t from;
        CorvanePlayListMovement moveTo;
        int32_t target;
        std::string order;
    };
    const std::vector<Case> cases = {
        {3, corMP3MoveNone, 0, "VWXYZ"},       {3, corMP3MoveUpOne, 0, "VXWYZ"},
        {1, corMP3MoveUpOne, 0, "VWXYZ"},      {3, corMP3MoveDownOne, 0, "VWYXZ"},
        {5, corMP3MoveDownOne, 0, "VWXYZ"},    {4, corMP3MoveToTop, 0, "YVWXZ"},
        {1, corMP3MoveToTop, 0, "VWXYZ"},      {2, corMP3MoveToBottom, 0, "VXYZW"},
        {5, corMP3MoveToBottom, 0, "VWXYZ"},   {2, corMP3MoveBeforeFile, 5, "VXYWZ"},
        {5, corMP3MoveBeforeFile, 2, "VZWXY"}, {3, corMP3MoveBeforeFile, 3, "VWXYZ"},
        {2, corMP3MoveBeforeFile, 3, "VWXYZ"}, {5, corMP3MoveAfterFile, 2, "VWZXY"},
        {1, corMP3MoveAfterFile, 3, "WXVYZ"},  {4, corMP3MoveAfterFile, 3, "VWXYZ"},
        {2, CorvanePlayListMovement{7}, 4, "VWXYZ"}, {0, corMP3MoveToTop, 0, "VWXYZ"},
        {6, corMP3MoveUpOne, 0, "VWXYZ"},      {3, corMP3MoveToTop, 9, "XVWYZ"},  // the target plays no part
    };
    for (const Case &c : cases) {
        list.Clear();
        AddAll({"V", "W", "X", "Y", "Z"});
        Move(c.from, c.moveTo, c.target);
        EXPECT_EQ(Order(), c.order) << "from " << c.from << " by " << c.moveTo << " target " << c.target;
        EXPECT_EQ(list.TotalPlayListTime(), 150);
    }
    // A target that is not there raises and moves nothing.
    const std::string before = Order();
    ExpectError(ErrorOf([&] { Move(2, corMP3MoveAfterFile, 9); }), 30078, u"There is no PlayList entry '9'.", u"");
    EXPECT_EQ(Order(), before);
}

}  // namespace
}  // namespace corvane::testing
