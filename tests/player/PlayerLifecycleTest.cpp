// The control's life: creation, saved state, painting, sizing, destruction
// and the read-only Channels and DeviceName.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "equalizer/Equalizer.h"
#include "player/PlayerBitmaps.h"
#include "runtime/BitmapResource.h"
#include "runtime/PropertyBag.h"

namespace corvane::player::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runtime::MemoryPropertyBag;
using runtime::Text;
using runtime::Variant;

// Records what the player reads and writes, and can refuse one name.
class RecordingBag : public runtime::PropertyBag {
public:
    struct Access {
        Text name;
        Variant value, defaultValue;
    };
    Variant ReadProperty(const Text &name, const Variant &defaultValue) override {
        reads.push_back({name, {}, defaultValue});
        if (name == refused) throw std::runtime_error("refused");
        return stored.ReadProperty(name, defaultValue);
    }
    void WriteProperty(const Text &name, const Variant &value, const Variant &defaultValue) override {
        writes.push_back({name, value, defaultValue});
        if (name == refused) throw std::runtime_error("refused");
        stored.WriteProperty(name, value, defaultValue);
    }
    static std::vector<Text> Names(const std::vector<Access> &accesses) {
        std::vector<Text> names;
        for (const Access &access : accesses) names.push_back(access.name);
        return names;
    }

    MemoryPropertyBag stored;
    Text refused;
    std::vector<Access> reads, writes;
};

const std::vector<Text> kKeysInOrder = {u"FileName", u"Channels", u"ChangeInterval", u"DeviceName", u"PlaybackRate"};

class PlayerLifecycleTest : public PlayerTest {};

TEST_F(PlayerLifecycleTest, CreationOnlyDisablesTheNewEqualizer) {
    // The equalizer's own eq_state(0) is the only library call.
    EXPECT_THAT(fake->calls, ElementsAre("eq_state(0)"));
    ASSERT_NE(player->Equalizer(), nullptr);
    EXPECT_FALSE(player->Equalizer()->Enabled());
    EXPECT_EQ(player->Equalizer(), player->Equalizer());
    EXPECT_FALSE(site.TimerEnabled());
    player->Initialize();  // the container's own call changes nothing more
    EXPECT_THAT(fake->calls, ElementsAre("eq_state(0)"));
}

TEST_F(PlayerLifecycleTest, AFreshControlSavesNothingAndLoadsTheDefaults) {
    player->InitProperties();
    MemoryPropertyBag bag;
    player->WriteProperties(bag);
    EXPECT_EQ(bag.Size(), 0u);

    player->ReadProperties(bag);
    EXPECT_EQ(player->Filename(), u"");
    EXPECT_EQ(player->ChangeInterval(), 100);
    EXPECT_EQ(player->DeviceName(), u"Maltrex Wave Mapper");
}

TEST_F(PlayerLifecycleTest, KeysAreReadAndWrittenInOrderWithTheirDefaults) {
    RecordingBag bag;
    player->ReadProperties(bag);
    player->WriteProperties(bag);
    EXPECT_EQ(RecordingBag::Names(bag.reads), kKeysInOrder);
    EXPECT_EQ(RecordingBag::Names(bag.writes), kKeysInOrder);
    const std::vector<Variant> defaults = {Variant(Text()), Variant(int16_t{2}), Variant(int16_t{100}),
                                           Variant(u"Maltrex Wave Mapper"), Variant(int16_t{1})};
    for (size_t i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(bag.reads[i].defaultValue.Type(), defaults[i].Type()) << i;
        EXPECT_TRUE(bag.reads[i].defaultValue == defaults[i]) << i;
        EXPECT_TRUE(bag.writes[i].defaultValue == defaults[i]) << i;
    }
    EXPECT_EQ(bag.writes[4].value.Type(), runtime::VariantType::Single);
}

TEST_F(PlayerLifecycleTest, SavedStateComesBackAfterAReload) {
    MemoryPropertyBag saved;
    saved.WriteProperty(u"FileName", Variant(u"/music/a.mp3"), Variant(Text()));
    saved.WriteProperty(u"Channels", int16_t{1}, int16_t{2});
    saved.WriteProperty(u"ChangeInterval", int16_t{5}, int16_t{100});  // loaded without the range check
    saved.WriteProperty(u"DeviceName", Variant(u"Card"), Variant(u"Maltrex Wave Mapper"));
    saved.WriteProperty(u"PlaybackRate", 1.5f, int16_t{1});
    player->ReadProperties(saved);
    EXPECT_EQ(player->ChangeInterval(), 5);
    EXPECT_EQ(player->DeviceName(), u"Card");

    MemoryPropertyBag again;
    player->WriteProperties(again);
    ASSERT_EQ(again.Size(), 5u);
    for (size_t i = 0; i < kKeysInOrder.size(); ++i) {
        EXPECT_EQ(again.Values()[i].first, kKeysInOrder[i]);
        EXPECT_TRUE(again.Values()[i].second == saved.Values()[i].second) << i;
    }

    // Through the bag's text form, as a native host saves it to a file.
    CVMP3Player reloaded(site, fake);
    MemoryPropertyBag fromText = MemoryPropertyBag::FromText(again.ToText());
    reloaded.ReadProperties(fromText);
    MemoryPropertyBag third;
    reloaded.WriteProperties(third);
    EXPECT_EQ(third.ToText(), again.ToText());
}

TEST_F(PlayerLifecycleTest, ALoadedFileNameIsNotOpened) {
    MemoryPropertyBag saved;
    saved.WriteProperty(u"FileName", Variant(u"/music/a.mp3"), Variant(Text()));
    fake->ClearCalls();
    player->ReadProperties(saved);
    EXPECT_THAT(fake->calls, IsEmpty());
    EXPECT_EQ(player->Filename(), u"/music/a.mp3");
    EXPECT_EQ(player->ChangeInterval(), 100);
    // The entry holds no file, so the information is what an empty entry says.
    EXPECT_EQ(player->TrackLength(), 0);
    EXPECT_EQ(player->ChannelMode(), u"");
    EXPECT_EQ(player->ID3Title(), u"");
    // Setting it again for real reads the file.
    SetFile("/music/b.mp3");
    EXPECT_EQ(player->TrackLength(), 200);
}

TEST_F(PlayerLifecycleTest, AStepThatFailsIsSkippedAndTheRestIsRead) {
    RecordingBag bag;
    bag.stored.WriteProperty(u"Channels", Variant(u"not a number"), int16_t{2});
    bag.stored.WriteProperty(u"ChangeInterval", int16_t{60}, int16_t{100});
    bag.stored.WriteProperty(u"DeviceName", Variant(u"Card"), Variant(u""));
    bag.refused = u"FileName";
    EXPECT_NO_THROW(player->ReadProperties(bag));
    EXPECT_EQ(player->ChangeInterval(), 60);
    EXPECT_EQ(player->DeviceName(), u"Card");
    EXPECT_NO_THROW(player->WriteProperties(bag));
    EXPECT_EQ(RecordingBag::Names(bag.writes), kKeysInOrder);
}

TEST_F(PlayerLifecycleTest, PaintDrawsTheControlImageAtTheCorner) {
    player->Paint();
    ASSERT_EQ(site.drawn.size(), 1u);
    const runtime::Bitmap *image = site.drawn[0].bitmap;
    EXPECT_EQ(image, runtime::FindBitmapResource(u"MP3_CONTROL"));
    EXPECT_EQ(site.drawn[0].x, 0);
    EXPECT_EQ(site.drawn[0].y, 0);
    ASSERT_EQ(image->width, 32);
    ASSERT_EQ(image->height, 32);
    ASSERT_EQ(image->pixels.size(), 32u * 32u);
}

// The image: a raised grey square (light top-left edge, dark bottom-right),
// blue letters in the upper half and black notes in the lower half.
TEST_F(PlayerLifecycleTest, BitmapsShowTheRaisedSquareLettersAndNotes) {
    struct Case {
        const char16_t *name;
        int width, height;
    };
    for (const Case &c : {Case{u"MP3_CONTROL", 32, 32}, Case{u"30001", 16, 15}}) {
        const runtime::Bitmap *image = runtime::FindBitmapResource(c.name);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->width, c.width);
        ASSERT_EQ(image->height, c.height);
        ASSERT_EQ(image->pixels.size(), static_cast<size_t>(c.width * c.height));
        EXPECT_EQ(image->ColorAt(0, 0), 0xFFFFFFu);
        EXPECT_EQ(image->ColorAt(c.width - 1, c.height - 1), 0x000000u);
        EXPECT_EQ(image->ColorAt(c.width / 2, 1), 0xC0C0C0u);
        int blueAbove = 0, blueBelow = 0, blackInside = 0;
        for (int y = 1; y < c.height - 2; ++y)
            for (int x = 1; x < c.width - 2; ++x) {
                uint32_t color = image->ColorAt(x, y);
                if (color == 0x0000FF) (y < c.height / 2 ? blueAbove : blueBelow)++;
                if (color == 0x000000 && y > c.height / 2) ++blackInside;
            }
        EXPECT_GT(blueAbove, 0);
        EXPECT_EQ(blueBelow, 0);
        EXPECT_GT(blackInside, 0);
    }
}

TEST_F(PlayerLifecycleTest, ResizeAlwaysGivesThirtyTwoPixels) {
    struct DenseSite : PlayerTestSite {
        using PlayerTestSite::PlayerTestSite;
        int32_t TwipsPerPixelX() const override { return 12; }
        int32_t TwipsPerPixelY() const override { return 10; }
    };
    for (auto [w, h] : {std::pair{1234, 5678}, std::pair{0, 0}, std::pair{-100, 480}}) {
        player->Resize(w, h);
        EXPECT_EQ(site.ExtentWidth(), 480);
        EXPECT_EQ(site.ExtentHeight(), 480);
    }
    DenseSite dense(loop);
    CVMP3Player other(dense, fake);
    other.Resize(10, 10);
    EXPECT_EQ(dense.ExtentWidth(), 384);
    EXPECT_EQ(dense.ExtentHeight(), 320);
}

TEST_F(PlayerLifecycleTest, ReadOnlyPropertiesKeepTheirValue) {
    struct Case {
        bool userMode;
        bool messageShown;
    };
    SetFile(kSongA);
    for (const Case &c : {Case{true, false}, Case{false, true}}) {
        site.SetUserMode(c.userMode);
        site.messages.clear();
        site.changedProperties.clear();
        int16_t channels = 1;
        player->SetChannels(channels);
        Text device = u"Other";
        player->SetDeviceName(device);
        EXPECT_EQ(player->Channels(), 2);
        EXPECT_EQ(player->DeviceName(), u"Maltrex Wave Mapper");
        EXPECT_THAT(site.changedProperties, ElementsAre(u"Channels", u"DeviceName"));
        if (!c.messageShown) {
            EXPECT_THAT(site.messages, IsEmpty());
            continue;
        }
        ASSERT_EQ(site.messages.size(), 2u);
        for (const auto &message : site.messages) {
            EXPECT_EQ(message.title, u"CorvaneMP3Player Property is Read-Only");
            EXPECT_EQ(message.style, 64);
        }
        EXPECT_EQ(site.messages[0].text,
                  u"The number of channels is read-only.  Channels are determined by your hardware.");
        EXPECT_EQ(site.messages[1].text,
                  u"The device name is read-only.  The device name is determined by your hardware.");
    }
}

TEST_F(PlayerLifecycleTest, DestroyingAPlayingControlStopsTheLibrary) {
    StartPlaying();
    fake->ClearCalls();
    player.reset();
    EXPECT_THAT(fake->calls, ElementsAre("stop_playing()"));
}

TEST_F(PlayerLifecycleTest, DestroyingAnIdleControlCallsNothing) {
    for (bool withFile : {false, true}) {
        auto idle = std::make_unique<CVMP3Player>(site, fake);
        if (withFile) idle->SetFilename(u"/music/a.mp3");
        fake->ClearCalls();
        idle.reset();
        EXPECT_THAT(fake->calls, IsEmpty()) << withFile;
    }
}

TEST_F(PlayerLifecycleTest, AnEqualizerHeldByTheHostIsEmptyAfterTermination) {
    std::shared_ptr<equalizer::Equalizer> held = player->Equalizer();
    held->AddBand(1000);
    held->AddBand(4000);
    ASSERT_EQ(held->BandCount(), 2);
    player->Terminate();
    EXPECT_EQ(held->BandCount(), 0);
    EXPECT_EQ(player->Equalizer(), nullptr);
    EXPECT_FALSE(site.HasTimer());
    EXPECT_FALSE(site.HasWindow());
    fake->ClearCalls();
    player.reset();  // Terminate runs once
    EXPECT_THAT(fake->calls, IsEmpty());
}

}  // namespace
}  // namespace corvane::player::testing
