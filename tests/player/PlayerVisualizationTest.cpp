// The analysis interval, the channel rule and the analysis data that the
// status poll delivers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "PlayerTestSupport.h"
#include "runtime/PropertyBag.h"

namespace corvane::player::testing {
namespace {

using ::testing::ElementsAre;

class PlayerVisualizationTest : public PlayerTest {
protected:
    // Distinct values: VU n is 11 * (n + 1), wave (n, k) is 1000 * n + k and
    // spectrum (n, k) is n + k / 1000.
    void DeliverData() {
        for (size_t n = 0; n < 3; ++n) {
            fake->status.vu[n] = static_cast<int16_t>(11 * (n + 1));
            for (size_t k = 0; k < 256; ++k) fake->status.wave[n + 3 * k] = static_cast<int16_t>(1000 * n + k);
            for (size_t k = 0; k < 128; ++k) fake->status.spectrum[n + 3 * k] = static_cast<float>(n) + k / 1000.0f;
        }
        Poll(1);
    }
};

TEST_F(PlayerVisualizationTest, ChangeIntervalIsClampedWrittenBackAndSentAtOnceAndAtEachStart) {
    struct Case {
        int16_t given, stored;
    };
    for (const Case &c : {Case{5, 10}, Case{1000, 250}, Case{10, 10}, Case{250, 250}, Case{-32768, 10}}) {
        fake->ClearCalls();
        site.changedProperties.clear();
        int16_t value = c.given;
        player->SetChangeInterval(value);
        EXPECT_EQ(value, c.stored) << c.given;
        EXPECT_EQ(player->ChangeInterval(), c.stored) << c.given;
        EXPECT_THAT(fake->calls, ElementsAre("set_vu_interval(" + std::to_string(c.stored) + ")"));
        EXPECT_THAT(site.changedProperties, ElementsAre(u"ChangeInterval"));
    }
    int16_t interval = 40;
    player->SetChangeInterval(interval);
    fake->ClearCalls();
    StartPlaying();
    EXPECT_THAT(fake->CallsNamed("set_vu_interval"), ElementsAre("set_vu_interval(40)"));
}

TEST_F(PlayerVisualizationTest, AccessorsReadZeroBeforeTheFirstPollAndTheLastDataAfterPlayback) {
    CorvaneMP3Channels channel = corMP3LeftChannel;
    int16_t index = 200;
    EXPECT_EQ(player->VUMeter(channel), 0);
    EXPECT_EQ(player->GfxWaveFormSample(channel, index), 0);
    EXPECT_EQ(player->SpectrumAnalysis(channel, index), 0.0f);
    StartPlaying();
    DeliverData();
    player->PlayStop();
    EXPECT_EQ(player->VUMeter(channel), 22);
    EXPECT_EQ(player->GfxWaveFormSample(channel, index), 1200);
    EXPECT_EQ(player->WaveFormData()[1 + 3 * 200], 1200);
}

TEST_F(PlayerVisualizationTest, ChannelRulePullsTheChannelIntoRangeAndWritesItBack) {
    struct Case {
        int16_t channelCount;
        int32_t given, used;
    };
    DeliverData();
    for (const Case &c : {Case{2, -5, 0}, Case{2, 7, 2}, Case{2, 0, 0}, Case{2, 1, 1}, Case{2, 2, 2},
                          Case{1, 2, 0}, Case{0, 2, 0}, Case{-1, 1, 0}, Case{3, 9, 2}}) {
        runtime::MemoryPropertyBag bag;
        bag.WriteProperty(u"Channels", c.channelCount, int16_t{2});
        player->ReadProperties(bag);
        const std::string label = std::to_string(c.channelCount) + "/" + std::to_string(c.given);
        int16_t index = 7;

        CorvaneMP3Channels channel = static_cast<CorvaneMP3Channels>(c.given);
        EXPECT_EQ(player->VUMeter(channel), 11 * (c.used + 1)) << label;
        EXPECT_EQ(channel, c.used) << label;
        channel = static_cast<CorvaneMP3Channels>(c.given);
        EXPECT_EQ(player->GfxWaveFormSample(channel, index), 1000 * c.used + 7) << label;
        EXPECT_EQ(channel, c.used) << label;
        channel = static_cast<CorvaneMP3Channels>(c.given);
        EXPECT_FLOAT_EQ(player->SpectrumAnalysis(channel, index), static_cast<float>(c.used) + 0.007f) << label;
        EXPECT_EQ(channel, c.used) << label;
    }
}

TEST_F(PlayerVisualizationTest, IndexesOutsideTheArraysGiveZero) {
    DeliverData();
    struct Case {
        int16_t index, wave;
        float spectrum;
    };
    for (const Case &c : {Case{0, 2000, 2.0f}, Case{127, 2127, 2.127f}, Case{128, 2128, 0}, Case{255, 2255, 0},
                          Case{256, 0, 0}, Case{-1, 0, 0}, Case{-32768, 0, 0}}) {
        CorvaneMP3Channels channel = corMP3RightChannel;
        int16_t index = c.index;
        EXPECT_EQ(player->GfxWaveFormSample(channel, index), c.wave) << c.index;
        EXPECT_FLOAT_EQ(player->SpectrumAnalysis(channel, index), c.spectrum) << c.index;
        EXPECT_EQ(index, c.index);
    }
}

}  // namespace
}  // namespace corvane::player::testing
