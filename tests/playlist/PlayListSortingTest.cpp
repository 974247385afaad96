// Sorting and shuffling the play list.
#include <random>
#include <set>

#include "playlist/PlayListSorting.h"
#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

using playlist::PlayListSortingEntry;

class PlayListSortingTest : public PlayListTest {
protected:
    struct File { std::string name; int seconds; std::string title, artist; };
    void AddFiles(const std::vector<File> &files) {
        for (const File &file : files) AddFile(file.name, file.seconds, file.title, file.artist);
        for (const File &file : files) ASSERT_TRUE(Add(file.name));
    }
    Names SortedNames(CorvanePlayListSortType type, int32_t order) {
        auto sortOrder = static_cast<CorvanePlayListSortOrder>(order);
        list.Sort(type, sortOrder);
        return Listed();
    }
};

// File sorts by the text after the last folder separator (only "\\" on
// Windows, only "/" elsewhere), title and artist fall back to that file part,
// time sorts numerically, and equal keys keep their order. A title sort reads
// each tag once, not once per comparison; a time sort reads none.
TEST_F(PlayListSortingTest, EachKeyInBothOrders) {
#ifdef _WIN32
    const std::string s = "\\", other = "/";  // the other one belongs to the file part: z/aardvark or z\aardvark
#else
    const std::string s = "/", other = "\\";
#endif
    AddFiles({{s + "b" + s + "Zed.mp3", 245, "same", ""}, {s + "Alpha.mp3", 95, "SAME", "X"},
              {s + "n" + s + "yeti.mp3", 1000, "", "Y"}, {s + "z" + other + "aardvark.mp3", 95, "Moon", "Ann"}});
    struct Case {
        CorvanePlayListSortType type; int32_t order; std::string expected;  // first letters of the file parts
        int tagReads = -1;
    } cases[] = {
        {corMP3SortByFile, corMP3SortAscending, "AyzZ"},      {corMP3SortByFile, corMP3SortDescending, "ZzyA"},
        {corMP3SortByTime, corMP3SortAscending, "zAZy", 0},   {corMP3SortByTime, corMP3SortDescending, "yZzA", 0},
        {corMP3SortByID3Title, corMP3SortAscending, "zZAy", 4},  // "yeti.mp3" after "Moon" and "same"
        // "Ann - Moon", "Unknown Artist - same", "X - SAME", "Y - Untitled"
        {corMP3SortByID3Tag, corMP3SortAscending, "zZAy"}, {corMP3SortByID3Tag, corMP3SortDescending, "yAZz"},
    };
    for (const Case &c : cases) {
        std::string order;
        library->ClearCalls();
        for (const std::string &name : SortedNames(c.type, c.order)) order += name[name.find_last_of(s) + 1];
        EXPECT_EQ(order, c.expected) << c.type << " " << c.order;
        if (c.tagReads >= 0) EXPECT_EQ(library->CallsNamed("get_id3_tag").size(), size_t(c.tagReads)) << c.type;
    }
}

TEST_F(PlayListSortingTest, AnOtherOrderOrTypeOnlyRenewsTheKeysAndShortListsStay) {
    AddFiles({{"z", 3, "", ""}});
    for (int order : {-1, 0, 1, 2}) EXPECT_EQ(SortedNames(CorvanePlayListSortType{order + 1}, order), Names{"z"});
    AddFiles({{"a", 1, "", ""}});
    const Text key = u"first";
    ASSERT_TRUE(Add("z", Variant::Missing(), Variant::Missing(), key));
    auto keyed = list.PlayListEntries(key);
    for (auto [type, order] : {std::pair{corMP3SortByFile, 2}, {CorvanePlayListSortType{7}, corMP3SortAscending}})
        EXPECT_EQ(SortedNames(type, order), (Names{"z", "a", "z"})) << type;
    EXPECT_EQ(list.PlayListEntries(key), nullptr);
    EXPECT_EQ(keyed->Key(), u"first");
    std::set<Text> keys;  // distinct, digits only
    for (int32_t position = 1; position <= list.Count(); ++position) keys.insert(list.ListKeyAt(position));
    EXPECT_EQ(keys.size(), 3u);
    for (const Text &generated : keys) EXPECT_TRUE(!generated.empty() && generated.find_first_not_of(u"0123456789") == Text::npos);
}

TEST(PlayListSortOrder, MatchesTheExchangeSortOnRandomLists) {
    std::mt19937 random(20240611);
    // Few distinct texts, so that many keys are equal; letters whose case
    // forms differ in more than one code point, and one beyond 16 bits.
    const std::vector<Text> words = {u"alpha", u"Alpha", u"ALPHA", u"beta", u"Beta", u"gamma", u"Zulu", u"zulu", u"a",
                                     u"", u"b c", u"b-c", u"Äpfel", u"äpfel", u"ß", u"SS", u"ſ", u"\u212A", u"k",
                                     u"Ωmega", u"ωmega", u"İ", u"ı", u"\U00010400x", u"\U00010428x", u"\xD800z", u"\uFF21"};
    for (int trial = 0; trial < 40; ++trial) {
        const auto type = trial % 2 ? corMP3SortByTime : corMP3SortByID3Title;
        const size_t size = 1 + random() % 90;
        std::vector<PlayListSortingEntry> records(size);
        for (size_t i = 0; i < size; ++i) {
            records[i].SetOrigPosition(static_cast<int32_t>(i + 1));
            records[i].SetSortingString(type == corMP3SortByTime ? runtime::ToText(int64_t(random() % 12) * 85)
                                                                 : words[random() % words.size()]);
        }
        // Each neighbour in order by the comparison, equal ones in their old order: what passes of
        // neighbour exchanges until none is out of order give.
        for (int32_t order : {corMP3SortAscending, corMP3SortDescending}) {
            auto sorted = records;
            playlist::OrderSortingList(sorted, type, order);
            for (size_t i = 1; i < size; ++i) {
                const int c = playlist::CompareSortingEntries(sorted[i - 1], sorted[i], type);
                ASSERT_TRUE((order == corMP3SortAscending ? c < 0 : c > 0) ||
                            (c == 0 && sorted[i - 1].OrigPosition() < sorted[i].OrigPosition()))
                    << "trial " << trial << " order " << order << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace corvane::testing
