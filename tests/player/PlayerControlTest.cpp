// The control's life as its container drives it (creation, saved state,
// painting, sizing, destruction), the stream and tag properties it forwards
// to the file-information entry, and the read-only Channels and DeviceName.
#include "PlayerTestSupport.h"
#include "equalizer/Equalizer.h"
#include "runtime/BitmapResource.h"
#include "runtime/PropertyBag.h"

namespace corvane::player::testing {
namespace {

using runtime::MemoryPropertyBag;
using runtime::Variant;

// A new control only disables its equalizer and saves nothing; an empty bag,
// like InitProperties, gives the defaults, which save nothing either.
TEST_F(PlayerTest, AFreshControlSavesNothingAndLoadsTheDefaults) {
    player->Initialize();  // the constructor ran it already
    EXPECT_THAT(fake->calls, ElementsAre("eq_state(0)"));
    EXPECT_EQ(std::tuple(player->Equalizer()->Enabled(), site.timerInterval, site.timerEnabled),
              std::tuple(false, 10, false));
    MemoryPropertyBag bag;
    player->WriteProperties(bag);
    EXPECT_EQ(bag.Size(), 0u);
    for (bool init : {false, true}) {
        int16_t interval = 50;
        player->SetChangeInterval(interval);
        SetFile(kSongA);
        init ? player->InitProperties() : player->ReadProperties(bag);
        EXPECT_EQ(std::tuple(player->Filename(), player->ChangeInterval(), player->DeviceName()),
                  std::tuple(u"", 100, u"Maltrex Wave Mapper")) << init;
        player->WriteProperties(bag);  // what was loaded is at the saved defaults
        EXPECT_EQ(bag.Size(), 0u) << init;
    }
}

// What was saved comes back under the same names without opening the file;
// a value that does not convert is skipped and the rest is read.
TEST_F(PlayerTest, SavedStateComesBackAfterAReload) {
    MemoryPropertyBag saved;
    saved.WriteProperty(u"FileName", Variant(u"/music/a.mp3"), Variant(Text()));
    saved.WriteProperty(u"Channels", int16_t{1}, int16_t{2});
    saved.WriteProperty(u"ChangeInterval", int16_t{5}, int16_t{100});  // loaded without the range check
    saved.WriteProperty(u"DeviceName", Variant(u"Card"), Variant(u"Maltrex Wave Mapper"));
    saved.WriteProperty(u"PlaybackRate", 1.5f, int16_t{1});
    fake->ClearCalls();
    player->ReadProperties(saved);
    EXPECT_THAT(fake->calls, IsEmpty());
    EXPECT_EQ(std::tuple(player->Filename(), player->ChangeInterval(), player->DeviceName(), player->TrackLength()),
              std::tuple(u"/music/a.mp3", 5, u"Card", 0));  // the file is not read

    MemoryPropertyBag again;
    player->WriteProperties(again);
    ASSERT_EQ(again.Size(), saved.Size());
    for (size_t i = 0; i < saved.Size(); ++i)  // the same name, type and value
        EXPECT_TRUE(again.Values()[i] == saved.Values()[i] &&
                    again.Values()[i].second.Type() == saved.Values()[i].second.Type()) << i;
    MemoryPropertyBag bad;
    bad.WriteProperty(u"Channels", Variant(u"not a number"), int16_t{2});
    bad.WriteProperty(u"ChangeInterval", int16_t{60}, int16_t{100});
    EXPECT_NO_THROW(player->ReadProperties(bad));
    EXPECT_EQ(player->ChangeInterval(), 60);
}

TEST_F(PlayerTest, PaintsItsImageAtTheCornerAndStaysThirtyTwoPixels) {
    player->Paint();
    ASSERT_EQ(site.drawn.size(), 1u);
    EXPECT_EQ(std::tuple(site.drawn[0].bitmap, site.drawn[0].x, site.drawn[0].y),
              std::tuple(runtime::FindBitmapResource(u"MP3_CONTROL"), 0, 0));
    std::tie(site.twipsX, site.twipsY) = std::pair(12, 10);
    player->Resize(1234, 5678);
    EXPECT_EQ(std::pair(site.ExtentWidth(), site.ExtentHeight()), std::pair(384, 320));
}

// Destruction stops only a playing track; termination empties an equalizer
// the host still holds, lets the timer and window go, and runs once.
TEST_F(PlayerTest, DestructionAndTermination) {
    std::shared_ptr<equalizer::Equalizer> held = player->Equalizer();
    held->AddBand(1000);
    player->Terminate();
    EXPECT_EQ(std::tuple(held->BandCount(), player->Equalizer(), bool(site.Tick), bool(site.Repaint)),
              std::tuple(0, nullptr, false, false));
    fake->ClearCalls();
    player.reset();
    EXPECT_THAT(fake->calls, IsEmpty());

    for (int step : {0, 1, 2}) {  // no file, a file, playing it
        player = std::make_unique<CVMP3Player>(site, fake);
        if (step > 0) SetFile(kSongA);
        if (step > 1) player->PlayStart();
        fake->ClearCalls();
        player.reset();
        EXPECT_EQ(fake->calls, step > 1 ? std::vector<std::string>{"stop_playing()"} : std::vector<std::string>{});
    }
}

TEST_F(PlayerTest, StreamPropertiesComeFromTheFileAndAreEmptyWithoutOne) {
    EXPECT_EQ(std::tuple(player->ChannelMode(), player->Layer(), player->MPEGVersion(), player->ID3Title(),
                         player->CRCExists(), player->Original(), player->Copyrighted().Type()),
              std::tuple(u"", u"", u"", u"", false, false, runtime::VariantType::Empty));
    // The genre and the size: the entry fails to read them, and the failure is absorbed.
    EXPECT_EQ(std::tuple(player->DataRate(), player->Frames(), player->SampleRate(), player->TrackLength(),
                         player->FileSize(), player->ID3Genre()), std::tuple(0, 0, 0, 0, 0, 0));
    Text title = u"New";
    int16_t genre = 5;
    player->SetID3Title(title);
    EXPECT_NO_THROW(player->SetID3Genre(genre));  // reaches the entry, which has no file
    EXPECT_TRUE(fake->writtenTags.empty());

    SetFile(kSongA);
    EXPECT_EQ(std::tuple(player->ChannelMode(), player->Layer(), player->MPEGVersion(), player->CRCExists(),
                         player->Original(), player->Copyrighted().ToText()),
              std::tuple(u"Joint Stereo", u"3", u"1", true, false, u"True"));
    EXPECT_EQ(std::tuple(player->DataRate(), player->Frames(), player->SampleRate(), player->TrackLength(),
                         player->FileSize()), std::tuple(128000, 7656, 44100, 200, 3200000));
}

// Tag texts are read trimmed of spaces; writes reach the file and their
// failures never reach the host.
TEST_F(PlayerTest, TagTextsAreTrimmedAndWritesReachTheFile) {
    fake->AddFile("/music/t.mp3", kStereoInfo, TagBlock({"  Padded  ", " Band", "Album ", "1987", "  note  ", 17}));
    SetFile("/music/t.mp3");
    EXPECT_EQ(std::tuple(player->ID3Title(), player->ID3Artist(), player->ID3Album(), player->ID3Year(),
                         player->ID3Comment(), player->ID3Genre()),
              std::tuple(u"Padded", u"Band", u"Album", u"1987", u"note", 17));
    Text title = u"Renamed", year = u"2001";
    int16_t genre = 8;
    player->SetID3Title(title);
    player->SetID3Year(year);
    player->SetID3Genre(genre);
    EXPECT_EQ(std::tuple(player->ID3Title(), player->ID3Artist(), player->ID3Year(), player->ID3Genre()),
              std::tuple(u"Renamed", u"Band", u"2001", 8));
    fake->files["/music/t.mp3"].writeResult = 57;
    fake->files["/music/t.mp3"].tagResult = 75;
    EXPECT_NO_THROW(player->SetID3Artist(title));
    EXPECT_EQ(std::tuple(player->ID3Artist(), player->ID3Genre()), std::tuple(u"", 0));
}

// A name equal to the current one changes nothing; a file the entry rejects
// leaves no name, quietly.
TEST_F(PlayerTest, FileNamesAreKeptOrDropped) {
    SetFile(kSongA);
    site.changedProperties.clear();
    SetFile(kSongA);
    SetFile("/music/none.mp3");
    EXPECT_EQ(std::pair(player->Filename(), site.changedProperties.size()), std::pair(Text(), size_t{0}));
    SetFile(kSongA);
    EXPECT_THAT(site.changedProperties, ElementsAre(u"FileName"));
}

// Channels come from the file's mode (1 when it holds "Single"); setting it,
// or DeviceName, keeps the value and says why only at design time.
TEST_F(PlayerTest, ChannelsFollowTheModeAndTheReadOnlyPropertiesKeepTheirValue) {
    for (auto [mode, channels] : {std::pair{"Single Channel", 1}, std::pair{"NotSingle", 1}, std::pair{"single", 2},
                                  std::pair{"Dual Channel", 2}, std::pair{"", 2}}) {
        const std::string path = std::string("/music/") + mode;
        fake->AddFile(path, std::string("1|3|0|128000|44100|0|2|") + mode + "|0|0|0|CBR|9|1|1");
        SetFile(path);
        EXPECT_EQ(player->Channels(), channels) << mode;
    }
    for (bool userMode : {true, false}) {
        site.SetUserMode(userMode);
        site.messages.clear();
        site.changedProperties.clear();
        int16_t channels = 1;
        Text device = u"Other";
        player->SetChannels(channels);
        player->SetDeviceName(device);
        EXPECT_EQ(std::tuple(player->Channels(), player->DeviceName()), std::tuple(2, u"Maltrex Wave Mapper"));
        EXPECT_THAT(site.changedProperties, ElementsAre(u"Channels", u"DeviceName"));
        EXPECT_EQ(site.messages.size(), userMode ? 0u : 2u);
    }
}

}  // namespace
}  // namespace corvane::player::testing
