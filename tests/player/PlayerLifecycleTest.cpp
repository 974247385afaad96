// The control's life: creation, saved state, painting, sizing, destruction
// and the read-only Channels and DeviceName.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "PlayerTestSupport.h"
#include "equalizer/Equalizer.h"
#include "runtime/BitmapResource.h"
#include "runtime/PropertyBag.h"

namespace corvane::player::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runtime::MemoryPropertyBag;
using runtime::Text;
using runtime::Variant;

// Records the names and defaults the player reads and writes, and can refuse
// one name.
class RecordingBag : public runtime::PropertyBag {
public:
    Variant ReadProperty(const Text &name, const Variant &defaultValue) override {
        Record(reads, name, defaultValue);
        return stored.ReadProperty(name, defaultValue);
    }
    void WriteProperty(const Text &name, const Variant &value, const Variant &defaultValue) override {
        Record(writes, name, defaultValue);
        stored.WriteProperty(name, value, defaultValue);
    }

    MemoryPropertyBag stored;
    Text refused;
    std::vector<std::pair<Text, Variant>> reads, writes;  // name and default

private:
    void Record(std::vector<std::pair<Text, Variant>> &log, const Text &name, const Variant &defaultValue) {
        log.emplace_back(name, defaultValue);
        if (name == refused) throw std::runtime_error("refused");
    }
};

const std::vector<std::pair<Text, Variant>> kKeysAndDefaults = {
    {u"FileName", Variant(Text())},
    {u"Channels", Variant(int16_t{2})},
    {u"ChangeInterval", Variant(int16_t{100})},
    {u"DeviceName", Variant(u"Maltrex Wave Mapper")},
    {u"PlaybackRate", Variant(int16_t{1})},
};

void ExpectKeysAndDefaults(const std::vector<std::pair<Text, Variant>> &log) {
    ASSERT_EQ(log.size(), kKeysAndDefaults.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].first, kKeysAndDefaults[i].first) << i;
        EXPECT_EQ(log[i].second.Type(), kKeysAndDefaults[i].second.Type()) << i;
        EXPECT_TRUE(log[i].second == kKeysAndDefaults[i].second) << i;
    }
}

class PlayerLifecycleTest : public PlayerTest {};

// A new control only disables its equalizer; a fresh one saves nothing, and
// reads back the defaults under the same keys in the same order.
TEST_F(PlayerLifecycleTest, AFreshControlSavesNothingAndLoadsTheDefaults) {
    player->Initialize();
    EXPECT_THAT(fake->calls, ElementsAre("eq_state(0)"));
    ASSERT_NE(player->Equalizer(), nullptr);
    EXPECT_FALSE(player->Equalizer()->Enabled());
    EXPECT_EQ(std::tuple(site.TimerInterval(), site.TimerEnabled()), std::tuple(10, false));

    RecordingBag bag;
    player->InitProperties();
    player->WriteProperties(bag);
    EXPECT_EQ(bag.stored.Size(), 0u);
    ExpectKeysAndDefaults(bag.writes);
    player->ReadProperties(bag);
    ExpectKeysAndDefaults(bag.reads);
    EXPECT_EQ(std::tuple(player->Filename(), player->ChangeInterval(), player->DeviceName()),
              std::tuple(u"", 100, u"Maltrex Wave Mapper"));
}

// What was saved comes back without opening the file; a step that fails is
// skipped and the rest is read.
TEST_F(PlayerLifecycleTest, SavedStateComesBackAfterAReload) {
    MemoryPropertyBag saved;
    saved.WriteProperty(u"FileName", Variant(u"/music/a.mp3"), Variant(Text()));
    saved.WriteProperty(u"Channels", int16_t{1}, int16_t{2});
    saved.WriteProperty(u"ChangeInterval", int16_t{5}, int16_t{100});  // loaded without the range check
    saved.WriteProperty(u"DeviceName", Variant(u"Card"), Variant(u"Maltrex Wave Mapper"));
    saved.WriteProperty(u"PlaybackRate", 1.5f, int16_t{1});
    fake->ClearCalls();
    player->ReadProperties(saved);
    EXPECT_THAT(fake->calls, IsEmpty());
    EXPECT_EQ(std::tuple(player->Filename(), player->ChangeInterval(), player->DeviceName()),
              std::tuple(u"/music/a.mp3", 5, u"Card"));
    EXPECT_EQ(std::tuple(player->TrackLength(), player->ChannelMode()), std::tuple(0, u""));  // not read

    MemoryPropertyBag again;
    player->WriteProperties(again);
    ASSERT_EQ(again.Size(), 5u);
    for (size_t i = 0; i < kKeysAndDefaults.size(); ++i) {
        EXPECT_EQ(again.Values()[i].first, kKeysAndDefaults[i].first);
        EXPECT_EQ(again.Values()[i].second.Type(), saved.Values()[i].second.Type()) << i;
        EXPECT_TRUE(again.Values()[i].second == saved.Values()[i].second) << i;
    }

    RecordingBag bag;
    bag.stored.WriteProperty(u"Channels", Variant(u"not a number"), int16_t{2});
    bag.stored.WriteProperty(u"ChangeInterval", int16_t{60}, int16_t{100});
    bag.refused = u"FileName";
    EXPECT_NO_THROW(player->ReadProperties(bag));
    EXPECT_EQ(player->ChangeInterval(), 60);
    EXPECT_NO_THROW(player->WriteProperties(bag));
    EXPECT_EQ(bag.writes.size(), 5u);
}

TEST_F(PlayerLifecycleTest, PaintsItsImageAtTheCornerAndStaysThirtyTwoPixels) {
    player->Paint();
    ASSERT_EQ(site.drawn.size(), 1u);
    EXPECT_EQ(site.drawn[0].bitmap, runtime::FindBitmapResource(u"MP3_CONTROL"));
    EXPECT_EQ(std::pair(site.drawn[0].x, site.drawn[0].y), std::pair(0, 0));
    const runtime::Bitmap *toolbox = runtime::FindBitmapResource(u"30001");
    for (auto [image, width, height] : {std::tuple{site.drawn[0].bitmap, 32, 32}, std::tuple{toolbox, 16, 15}}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::tuple(image->width, image->height, image->pixels.size()),
                  std::tuple(width, height, static_cast<size_t>(width * height)));
        EXPECT_EQ(image->ColorAt(0, 0), 0xFFFFFFu);  // the raised edge
    }
    struct DenseSite : PlayerTestSite {
        using PlayerTestSite::PlayerTestSite;
        int32_t TwipsPerPixelX() const override { return 12; }
        int32_t TwipsPerPixelY() const override { return 10; }
    } dense(loop);
    CVMP3Player other(dense, fake);
    for (auto [w, h] : {std::pair{1234, 5678}, std::pair{-100, 480}}) {
        other.Resize(w, h);
        EXPECT_EQ(std::pair(dense.ExtentWidth(), dense.ExtentHeight()), std::pair(384, 320));
    }
}

TEST_F(PlayerLifecycleTest, ReadOnlyPropertiesKeepTheirValueAndSayWhyAtDesignTime) {
    SetFile(kSongA);
    for (bool userMode : {true, false}) {
        site.SetUserMode(userMode);
        site.messages.clear();
        site.changedProperties.clear();
        int16_t channels = 1;
        player->SetChannels(channels);
        Text device = u"Other";
        player->SetDeviceName(device);
        EXPECT_EQ(std::tuple(player->Channels(), player->DeviceName()), std::tuple(2, u"Maltrex Wave Mapper"));
        EXPECT_THAT(site.changedProperties, ElementsAre(u"Channels", u"DeviceName"));
        ASSERT_EQ(site.messages.size(), userMode ? 0u : 2u);
        for (const auto &message : site.messages) {
            EXPECT_EQ(message.title, u"CorvaneMP3Player Property is Read-Only");
            EXPECT_EQ(message.style, 64);  // information icon, OK button
        }
    }
    EXPECT_EQ(site.messages[0].text, u"The number of channels is read-only.  Channels are determined by your hardware.");
    EXPECT_EQ(site.messages[1].text, u"The device name is read-only.  The device name is determined by your hardware.");
}

// Destruction stops only a playing track; termination empties an equalizer
// the host still holds and runs once.
TEST_F(PlayerLifecycleTest, DestructionAndTermination) {
    struct Case {
        bool withFile, playing;
        std::vector<std::string> calls;
    };
    for (const Case &c : {Case{false, false, {}}, Case{true, false, {}}, Case{true, true, {"stop_playing()"}}}) {
        auto control = std::make_unique<CVMP3Player>(site, fake);
        if (c.withFile) control->SetFilename(u"/music/a.mp3");
        if (c.playing) control->PlayStart();
        fake->ClearCalls();
        control.reset();
        EXPECT_EQ(fake->calls, c.calls) << c.withFile << c.playing;
    }

    std::shared_ptr<equalizer::Equalizer> held = player->Equalizer();
    held->AddBand(1000);
    held->AddBand(4000);
    player->Terminate();
    EXPECT_EQ(held->BandCount(), 0);
    EXPECT_EQ(player->Equalizer(), nullptr);
    EXPECT_FALSE(site.HasTimer() || site.HasWindow());
    fake->ClearCalls();
    player.reset();
    EXPECT_THAT(fake->calls, IsEmpty());
}

}  // namespace
}  // namespace corvane::player::testing
