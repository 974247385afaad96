// Adding, removing, looking up and moving play-list entries, and the running
// total of their lengths.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "decoder/RecordingDecoderLibrary.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace {

using corvane::playlist::CVMP3PlayList;
using corvane::runtime::Text;
using corvane::runtime::Variant;
using namespace corvane;

const Variant kOmitted = Variant::Missing();

std::string FrameInfo(int seconds) {
    return "1|3|0|128000|44100|0|2|Joint Stereo|0|0|1|CBR|4000000|9000|" + std::to_string(seconds);
}

template <class Call>
runtime::AutomationError ErrorOf(Call &&call) {
    try {
        call();
    } catch (const runtime::AutomationError &error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return runtime::AutomationError(0, u"");
}

class PlayListEditingTest : public ::testing::Test {
protected:
    PlayListEditingTest() {
        for (auto [name, seconds] : {std::pair{"V", 10}, {"W", 20}, {"X", 30}, {"Y", 40}, {"Z", 50}, {"N", 7}})
            library->AddFile(name, FrameInfo(seconds));
    }

    bool Add(const char *name, const Variant &before = kOmitted, const Variant &after = kOmitted,
             const Variant &key = kOmitted) {
        Text filename = runtime::FromUtf8(name);
        return list.AddEntry(filename, before, after, key);
    }
    void AddAll(std::initializer_list<const char *> names) {
        for (const char *name : names) ASSERT_TRUE(Add(name));
    }
    std::string Order() const {
        std::string order;
        for (const auto &entry : list.NewEnum()) order += runtime::ToUtf8(entry->Filename());
        return order;
    }
    double SumOfLengths() const {
        double sum = 0;
        for (const auto &entry : list.NewEnum()) sum += entry->TrackLength();
        return sum;
    }
    void Move(int32_t from, CorvanePlayListMovement moveTo, const Variant &target = kOmitted) {
        list.MovePlayListEntry(from, moveTo, target);
    }

    runtime::MessageLoop loop;
    runtime::RecordingControlSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> library = std::make_shared<decoder::RecordingDecoderLibrary>();
    CVMP3PlayList list{site, library};
};

TEST_F(PlayListEditingTest, AddPlacesTheEntryByBeforeThenAfterThenAtTheEnd) {
    struct Case {
        Variant before, after;
        std::string order;
    };
    const std::vector<Case> cases = {
        {kOmitted, kOmitted, "VWXN"},   {int32_t{3}, int32_t{1}, "VWNX"}, {int32_t{0}, int32_t{2}, "VWNX"},
        {int32_t{1}, kOmitted, "NVWX"}, {kOmitted, int32_t{3}, "VWXN"},   {int32_t{-4}, int32_t{1}, "VNWX"},
    };
    for (const Case &c : cases) {
        list.Clear();
        AddAll({"V", "W", "X"});
        EXPECT_TRUE(Add("N", c.before, c.after));
        EXPECT_EQ(Order(), c.order);
        EXPECT_EQ(list.TotalPlayListTime(), 67);
    }
}

TEST_F(PlayListEditingTest, KeysAreUniqueWithoutRegardToCase) {
    ASSERT_TRUE(Add("V", kOmitted, kOmitted, Text(u"Song")));
    auto error = ErrorOf([&] { Add("W", kOmitted, kOmitted, Text(u"song")); });
    EXPECT_EQ(error.Number(), 457);
    EXPECT_EQ(error.Description(), u"This key is already associated with an element of this collection.");
    EXPECT_EQ(error.Source(), u"CorvaneMP3.CVMP3PlayList.AddEntry");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.TotalPlayListTime(), 10);
    EXPECT_EQ(list.PlayListEntries(Text(u"SONG"))->Key(), u"Song");
}

TEST_F(PlayListEditingTest, APositionThatNamesNoElementAddsNothing) {
    AddAll({"V", "W", "X"});
    EXPECT_EQ(ErrorOf([&] { Add("N", int32_t{9}, kOmitted, Text(u"k")); }).Number(), 457);
    EXPECT_FALSE(Add("N", int32_t{9}));
    EXPECT_FALSE(Add("N", kOmitted, int32_t{4}));
    EXPECT_EQ(Order(), "VWX");
    EXPECT_EQ(list.TotalPlayListTime(), 60);
}

TEST_F(PlayListEditingTest, ARefusedFileRaisesTheEntrysErrorAndChangesNothing) {
    library->AddFile("noise.bin", "").frameResult = 0;
    AddAll({"V"});
    struct Case {
        const char *name;
        int32_t number;
        const char16_t *description;
    };
    for (const Case &c : {Case{"missing.mp3", 53, u"Can't find specified file. (File not found)"},
                          Case{"noise.bin", 30075, u"File is not a recognized audio file format."},
                          Case{"", 53, u"Can't find specified file. (File not found)"}}) {
        auto error = ErrorOf([&] { Add(c.name, kOmitted, kOmitted, Text(u"key")); });
        EXPECT_EQ(error.Number(), c.number) << c.name;
        EXPECT_EQ(error.Description(), c.description);
        EXPECT_EQ(error.Source(), u"CVMP3Player");
    }
    EXPECT_EQ(Order(), "V");
    EXPECT_EQ(list.TotalPlayListTime(), 10);
}

TEST_F(PlayListEditingTest, TheSameFileTwiceGivesTwoEntries) {
    AddAll({"V", "V"});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_NE(list.PlayListEntries(int32_t{1}), list.PlayListEntries(int32_t{2}));
    EXPECT_EQ(list.TotalPlayListTime(), 20);
}

TEST_F(PlayListEditingTest, LookupByPositionOrKeyNeverRaises) {
    AddAll({"V"});
    ASSERT_TRUE(Add("W", kOmitted, kOmitted, Text(u"3")));
    AddAll({"X"});
    EXPECT_EQ(list.PlayListEntries(int32_t{3})->Filename(), u"X");
    EXPECT_EQ(list.PlayListEntries(2.0)->Filename(), u"W");
    EXPECT_EQ(list.PlayListEntries(Text(u"3"))->Filename(), u"W");  // a text is a key
    for (const Variant &none : {Variant(int32_t{0}), Variant(int32_t{4}), Variant(Text(u"intro")), Variant(Text()),
                                Variant(), kOmitted})
        EXPECT_EQ(list.PlayListEntries(none), nullptr);
}

TEST_F(PlayListEditingTest, RemoveTakesOutOneEntryAndClearTakesAll) {
    AddAll({"V", "W", "X"});
    ASSERT_TRUE(Add("Y", kOmitted, kOmitted, Text(u"Yankee")));
    list.RemoveEntry(int32_t{2});
    list.RemoveEntry(Text(u"yankee"));
    EXPECT_EQ(Order(), "VX");
    EXPECT_EQ(list.TotalPlayListTime(), 40);

    auto byNumber = ErrorOf([&] { list.RemoveEntry(int32_t{99}); });
    EXPECT_EQ(byNumber.Number(), 30078);
    EXPECT_EQ(byNumber.Description(), u"There is no PlayList entry 99.");
    EXPECT_EQ(ErrorOf([&] { list.RemoveEntry(Text(u"intro")); }).Description(), u"There is no PlayList entry intro.");
    EXPECT_EQ(Order(), "VX");

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.TotalPlayListTime(), 0);
    EXPECT_TRUE(list.NewEnum().empty());
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
        {6, corMP3MoveUpOne, 0, "VWXYZ"},
    };
    for (const Case &c : cases) {
        list.Clear();
        AddAll({"V", "W", "X", "Y", "Z"});
        Move(c.from, c.moveTo, c.target);
        EXPECT_EQ(Order(), c.order) << "from " << c.from << " by " << c.moveTo << " target " << c.target;
        EXPECT_EQ(list.TotalPlayListTime(), 150);
    }
}

TEST_F(PlayListEditingTest, AMoveToATargetThatIsNotThereRaisesAndChangesNothing) {
    AddAll({"V", "W", "X"});
    for (auto moveTo : {corMP3MoveBeforeFile, corMP3MoveAfterFile}) {
        auto error = ErrorOf([&] { Move(1, moveTo, int32_t{9}); });
        EXPECT_EQ(error.Number(), 30078);
        EXPECT_EQ(error.Description(), u"There is no PlayList entry '9'.");
        EXPECT_EQ(error.Source(), u"");
    }
    EXPECT_EQ(ErrorOf([&] { Move(2, corMP3MoveAfterFile); }).Description(), u"There is no PlayList entry '0'.");
    EXPECT_EQ(Order(), "VWX");
    Move(3, corMP3MoveToTop, int32_t{9});
    EXPECT_EQ(Order(), "XVW");
}

TEST_F(PlayListEditingTest, AMovedEntryLosesItsListKeyButKeepsItsIdentity) {
    AddAll({"V", "W"});
    ASSERT_TRUE(Add("X", kOmitted, kOmitted, Text(u"intro")));
    auto entry = list.PlayListEntries(Text(u"intro"));

    Move(3, corMP3MoveDownOne);  // no change: the key stays
    EXPECT_EQ(list.PlayListEntries(Text(u"intro")), entry);

    Move(3, corMP3MoveToTop);
    EXPECT_EQ(list.PlayListEntries(Text(u"intro")), nullptr);
    EXPECT_EQ(list.PlayListEntries(int32_t{1}), entry);
    EXPECT_EQ(entry->Key(), u"intro");
    const Text generated = list.ListKeyAt(1);
    ASSERT_FALSE(generated.empty());
    EXPECT_EQ(generated.find_first_not_of(u"0123456789"), Text::npos);
    EXPECT_LT(std::stoll(runtime::ToUtf8(generated)), 2147483648LL);
    EXPECT_EQ(list.PlayListEntries(generated), entry);
}

TEST_F(PlayListEditingTest, TheTotalIsAlwaysTheSumOfTheLengths) {
    library->AddFile("odd", "1|3|0|0|0|0|2|Stereo|0|0|1|CBR|1|1|-30");  // a broken length
    AddAll({"V", "W", "X", "Y", "Z"});
    Move(1, corMP3MoveToBottom);
    list.RemoveEntry(int32_t{2});
    CorvanePlayListSortType byTime = corMP3SortByTime;
    CorvanePlayListSortOrder order = corMP3SortDescending;
    list.Sort(byTime, order);
    order = corMP3SortRandom;
    list.Sort(byTime, order);
    EXPECT_EQ(list.TotalPlayListTime(), SumOfLengths());
    AddAll({"N"});
    list.RemoveEntry(int32_t{1});
    EXPECT_EQ(list.TotalPlayListTime(), SumOfLengths());

    list.Clear();
    AddAll({"odd"});
    EXPECT_GE(list.TotalPlayListTime(), 0);
    list.RemoveEntry(int32_t{1});
    EXPECT_EQ(list.TotalPlayListTime(), 0);
}

}  // namespace
