// Stream and tag properties forwarded to the file-information entry, the
// empty-file rule, trimming, Channels and GenreList.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "PlayerTestSupport.h"
#include "runtime/PropertyBag.h"

namespace corvane::player::testing {
namespace {

using runtime::Text;
using runtime::VariantType;

using PlayerInformationTest = PlayerTest;

TEST_F(PlayerInformationTest, WithoutAFileEveryPropertyHasItsEmptyValueAndTagWritesDoNothing) {
    EXPECT_EQ(std::tuple(player->ChannelMode(), player->Layer(), player->MPEGVersion(), player->ID3Title()),
              std::tuple(u"", u"", u"", u""));
    // The genre: the entry fails to read it, and the failure is absorbed.
    EXPECT_EQ(std::tuple(player->DataRate(), player->Frames(), player->SampleRate(), player->TrackLength(),
                         player->FileSize(), player->ID3Genre()), std::tuple(0, 0, 0, 0, 0, 0));
    // No channels, although the saved channel count is 2.
    EXPECT_EQ(std::tuple(player->CRCExists(), player->Original(), player->Channels()), std::tuple(false, false, 0));
    EXPECT_EQ(player->Copyrighted().Type(), VariantType::Empty);
    fake->ClearCalls();
    Text title = u"New", year = u"1999";
    player->SetID3Title(title);
    player->SetID3Year(year);
    EXPECT_THAT(fake->calls, ::testing::IsEmpty());
    int16_t genre = 5;
    EXPECT_NO_THROW(player->SetID3Genre(genre));  // reaches the entry, which has no file
}

// Tag texts are trimmed of spaces; writes reach the file and their failures
// never reach the host.
TEST_F(PlayerInformationTest, TagTextsAndWrites) {
    fake->AddFile("/music/t.mp3", kStereoInfo, TagBlock({"  Padded  ", " Band", "Album ", "1987", "  note  ", 17}));
    SetFile("/music/t.mp3");
    EXPECT_EQ(std::tuple(player->ID3Title(), player->ID3Artist(), player->ID3Album(), player->ID3Year(),
                         player->ID3Comment(), player->ID3Genre()),
              std::tuple(u"Padded", u"Band", u"Album", u"1987", u"note", 17));

    SetFile(kSongA);
    Text title = u"Renamed";
    player->SetID3Title(title);
    ASSERT_FALSE(fake->writtenTags.empty());
    EXPECT_EQ(fake->writtenTags.back().substr(3, 7), "Renamed");
    EXPECT_EQ(player->ID3Title(), u"Renamed");
    int16_t genre = 8;
    player->SetID3Genre(genre);
    EXPECT_EQ(static_cast<unsigned char>(fake->writtenTags.back().at(127)), 8);
    EXPECT_EQ(player->ID3Genre(), 8);

    fake->files[kSongA].writeResult = 57;
    fake->files[kSongA].tagResult = 75;
    Text artist = u"Nobody";
    EXPECT_NO_THROW(player->SetID3Artist(artist));
    EXPECT_EQ(player->ID3Artist(), u"");
    EXPECT_EQ(player->ID3Genre(), 0);
}

TEST_F(PlayerInformationTest, ChannelsFollowTheChannelMode) {
    struct Case {
        const char *mode;
        int16_t channels;
    };
    int fileNumber = 0;
    for (const Case &c : {Case{"Single Channel", 1}, Case{"Joint Stereo", 2}, Case{"Dual Channel", 2},
                          Case{"single channel", 2}, Case{"NotSingle", 1}, Case{"", 2}}) {
        std::string path = "/music/mode" + std::to_string(fileNumber++) + ".mp3";
        fake->AddFile(path, std::string("1|3|0|128000|44100|0|2|") + c.mode + "|0|0|0|CBR|100|10|1");
        SetFile(path);
        EXPECT_EQ(player->Channels(), c.channels) << c.mode;
    }
    for (auto [number, name] : {std::pair<int16_t, const char16_t *>{14, u"R&B"}, {148, u"Unknown"}, {149, u""}, {-1, u""}}) {
        int16_t genre = number;
        EXPECT_EQ(player->GenreList(genre), name) << number;
        EXPECT_EQ(genre, number);
    }
}

}  // namespace
}  // namespace corvane::player::testing
