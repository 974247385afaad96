// Offline decoding: error numbers, gapless length, channel layout, the
// Layer I fixtures' tones, and sample-accurate seeking.
#include "engine/StreamDecoder.h"
#include "support/Fixtures.h"
#include "support/Paths.h"
#include "support/ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace corvane::engine {
namespace {

using testing::FixturePath;
using testing::Stretch;

testing::WavAudio DecodeWhole(const std::string &name) {
    testing::WavAudio audio;
    StreamFormat format;
    EXPECT_EQ(DecodeFile(FixturePath(name), audio.samples, format), 0) << name;
    audio.sampleRate = format.sampleRate;
    audio.channels = kOutputChannels;
    return audio;
}

TEST(StreamDecoder, OpenGivesTheErrorNumberOfEachBadFile) {
    for (const auto &bad : testing::BadFixtures()) {
        StreamDecoder decoder;
        EXPECT_EQ(decoder.Open(FixturePath(bad.name)), bad.decoderResult) << bad.name;
        EXPECT_FALSE(decoder.IsOpen());
        EXPECT_EQ(decoder.TotalFrames(), -1);
        float buffer[8];
        EXPECT_EQ(decoder.Read(buffer, 4), 0u);
        EXPECT_FALSE(decoder.Seek(0));
    }
}

TEST(StreamDecoder, GaplessFileDecodesToItsSourceLength) {
    for (const auto &f : testing::AudioFixtures()) {
        if (!f.gapless) continue;
        StreamDecoder decoder;
        ASSERT_EQ(decoder.Open(FixturePath(f.name)), 0) << f.name;
        EXPECT_EQ(decoder.Format().sampleRate, f.sampleRate);
        EXPECT_EQ(decoder.Format().sourceChannels, f.channels);
        EXPECT_EQ(decoder.TotalFrames(), f.SourceSamples()) << f.name;
        EXPECT_EQ(static_cast<int64_t>(DecodeWhole(f.name).Frames()), f.SourceSamples()) << f.name;
    }
}

// Mono is heard in both channels; stereo keeps its channels apart; each
// Layer I fixture carries in channel c a sine placed in one subband.
TEST(StreamDecoder, ChannelsCarryTheirOwnTones) {
    const testing::WavAudio mono = DecodeWhole("l3_mpeg1_mono_both.mp3");
    ASSERT_GT(mono.Frames(), 0u);
    for (size_t n = 0; n < mono.Frames(); ++n) ASSERT_EQ(mono.At(n, 0), mono.At(n, 1)) << n;
    EXPECT_NEAR(testing::ToneAmplitude(mono, 0, 440, {0.5, 1.5}), 0.5, 0.05);

    const testing::WavAudio dual = DecodeWhole("l3_mpeg1_dual.mp3");  // 440 Hz left, 660 Hz right
    EXPECT_GT(testing::ToneAmplitude(dual, 0, 440, {0.5, 1.5}), 0.4);
    EXPECT_LT(testing::ToneAmplitude(dual, 0, 660, {0.5, 1.5}), 0.02);
    EXPECT_GT(testing::ToneAmplitude(dual, 1, 660, {0.5, 1.5}), 0.4);
    EXPECT_LT(testing::ToneAmplitude(dual, 1, 440, {0.5, 1.5}), 0.02);

    for (const auto &f : testing::AudioFixtures()) {
        if (f.layer != 1) continue;
        const testing::WavAudio d = DecodeWhole(f.name);
        ASSERT_EQ(static_cast<int64_t>(d.Frames()), f.exactFrames * 384) << f.name;
        for (int channel = 0; channel < f.channels; ++channel) {
            const double rms = testing::Rms(d, channel, {0.25, 0.75});
            const double tone = testing::ToneAmplitude(d, channel, testing::LayerOneToneHz(f.sampleRate, channel), {0.25, 0.75});
            EXPECT_GT(rms, 0.1) << f.name << " channel " << channel;
            // Nearly all the energy is in the one sine: its rms is amplitude / sqrt 2.
            EXPECT_NEAR(tone / std::sqrt(2.0), rms, 0.1 * rms) << f.name << " channel " << channel;
        }
    }
}

TEST(StreamDecoder, SeekLandsOnTheExactSampleAndIsClampedToTheStream) {
    for (const char *name : {"l3_mpeg1_vbr_noxing.mp3", "l3_mpeg1_vbr_xing_v2.mp3", "l3_mpeg2_vbr_mono.mp3",
                             "l2_mpeg1_192_stereo_v1.mp3", "l1_mpeg1_384_stereo.mp3"}) {
        const testing::WavAudio whole = DecodeWhole(name);
        StreamDecoder decoder;
        ASSERT_EQ(decoder.Open(FixturePath(name)), 0);
        const auto total = static_cast<int64_t>(whole.Frames());
        ASSERT_EQ(decoder.TotalFrames(), total);
        for (int64_t target : {total / 2, int64_t{1}, int64_t{575}, int64_t{1152}, int64_t{0}, total / 3 + 7, total - 100}) {
            ASSERT_TRUE(decoder.Seek(target)) << name << " @" << target;
            EXPECT_EQ(decoder.Position(), target);
            std::vector<float> buffer(2 * 1000);
            const size_t got = decoder.Read(buffer.data(), 1000);
            ASSERT_EQ(got, static_cast<size_t>(std::min<int64_t>(1000, total - target))) << name << " @" << target;
            // Equal up to float rounding; one sample early or late would differ by far more.
            for (size_t i = 0; i < 2 * got; ++i)
                ASSERT_NEAR(buffer[i], whole.samples[static_cast<size_t>(2 * target) + i], 1e-6) << name << " @" << target;
            EXPECT_EQ(decoder.Position(), target + static_cast<int64_t>(got));
        }
        float buffer[64];
        ASSERT_TRUE(decoder.Seek(total + 5000));
        EXPECT_EQ(decoder.Position(), total);
        EXPECT_EQ(decoder.Read(buffer, 32), 0u);
        ASSERT_TRUE(decoder.Seek(-20));
        EXPECT_EQ(decoder.Read(buffer, 32), 32u);
    }
}

}  // namespace
}  // namespace corvane::engine
