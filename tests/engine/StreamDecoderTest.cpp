// Offline decoding: error numbers, gapless length, channel layout, the
// Layer I fixtures' tones, and sample-accurate seeking.
#include "engine/StreamDecoder.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace corvane::engine {
namespace {

using testing::FixturePath;

struct Decoded {
    std::vector<float> samples;
    StreamFormat format;
    int64_t Frames() const { return static_cast<int64_t>(samples.size() / kOutputChannels); }
};

Decoded DecodeWhole(const std::string &name) {
    Decoded d;
    EXPECT_EQ(DecodeFile(FixturePath(name), d.samples, d.format), 0) << name;
    return d;
}

// Amplitude of the component at hz in one channel (Goertzel).
double AmplitudeAt(const Decoded &d, int channel, double hz, int64_t from, int64_t count) {
    const double w = 2 * std::numbers::pi * hz / d.format.sampleRate;
    const double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int64_t n = 0; n < count; ++n) {
        const double s0 = d.samples[static_cast<size_t>(2 * (from + n) + channel)] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2)) / static_cast<double>(count);
}

double Rms(const Decoded &d, int channel, int64_t from, int64_t count) {
    double sum = 0;
    for (int64_t n = 0; n < count; ++n) {
        const double v = d.samples[static_cast<size_t>(2 * (from + n) + channel)];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(count));
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
        EXPECT_EQ(DecodeWhole(f.name).Frames(), f.SourceSamples()) << f.name;
    }
}

TEST(StreamDecoder, MonoIsHeardInBothChannels) {
    const Decoded d = DecodeWhole("l3_mpeg1_mono_both.mp3");
    ASSERT_GT(d.Frames(), 0);
    EXPECT_EQ(d.format.sourceChannels, 1);
    for (int64_t n = 0; n < d.Frames(); ++n) {
        ASSERT_EQ(d.samples[static_cast<size_t>(2 * n)], d.samples[static_cast<size_t>(2 * n + 1)]) << n;
    }
    EXPECT_GT(Rms(d, 0, d.Frames() / 4, d.Frames() / 2), 0.2);  // the 440 Hz sine of amplitude 0.5
}

TEST(StreamDecoder, StereoToneKeepsItsChannelsApart) {
    const Decoded tone = DecodeWhole("l3_mpeg1_dual.mp3");  // 440 Hz left, 660 Hz right
    ASSERT_GT(tone.Frames(), 0);
    const int64_t from = tone.format.sampleRate / 2, count = tone.format.sampleRate;
    EXPECT_GT(AmplitudeAt(tone, 0, 440, from, count), 0.4);
    EXPECT_LT(AmplitudeAt(tone, 0, 660, from, count), 0.02);
    EXPECT_GT(AmplitudeAt(tone, 1, 660, from, count), 0.4);
    EXPECT_LT(AmplitudeAt(tone, 1, 440, from, count), 0.02);
}

TEST(StreamDecoder, LayerOneFixturesCarryTheirSubbandTones) {
    for (const auto &f : testing::AudioFixtures()) {
        if (f.layer != 1) continue;
        const Decoded d = DecodeWhole(f.name);
        ASSERT_EQ(d.Frames(), f.exactFrames * 384) << f.name;
        const int64_t from = d.format.sampleRate / 4, count = d.format.sampleRate / 2;
        for (int channel = 0; channel < f.channels; ++channel) {
            const double rms = Rms(d, channel, from, count);
            const double tone = AmplitudeAt(d, channel, testing::LayerOneToneHz(f.sampleRate, channel), from, count);
            EXPECT_GT(rms, 0.1) << f.name << " channel " << channel;
            // Nearly all the energy is in the one sine: its rms is amplitude / sqrt 2.
            EXPECT_NEAR(tone / std::sqrt(2.0), rms, 0.1 * rms) << f.name << " channel " << channel;
        }
    }
}

TEST(StreamDecoder, SeekLandsOnTheExactSample) {
    for (const char *name : {"l3_mpeg1_vbr_noxing.mp3", "l3_mpeg1_vbr_xing_v2.mp3", "l3_mpeg2_vbr_mono.mp3",
                             "l2_mpeg1_192_stereo_v1.mp3", "l1_mpeg1_384_stereo.mp3"}) {
        const Decoded whole = DecodeWhole(name);
        StreamDecoder decoder;
        ASSERT_EQ(decoder.Open(FixturePath(name)), 0);
        ASSERT_EQ(decoder.TotalFrames(), whole.Frames());
        const int64_t total = whole.Frames();
        for (int64_t target : {total / 2, int64_t{1}, int64_t{575}, int64_t{1152}, int64_t{0}, total / 3 + 7, total - 100}) {
            ASSERT_TRUE(decoder.Seek(target)) << name << " @" << target;
            EXPECT_EQ(decoder.Position(), target);
            std::vector<float> buffer(2 * 1000);
            const size_t got = decoder.Read(buffer.data(), 1000);
            const auto expected = static_cast<size_t>(std::min<int64_t>(1000, total - target));
            ASSERT_EQ(got, expected) << name << " @" << target;
            // Equal up to float rounding; one sample early or late would
            // differ by far more.
            for (size_t i = 0; i < 2 * got; ++i) {
                ASSERT_NEAR(buffer[i], whole.samples[static_cast<size_t>(2 * target) + i], 1e-6)
                    << name << " @" << target << "+" << i / 2;
            }
            EXPECT_EQ(decoder.Position(), target + static_cast<int64_t>(got));
        }
    }
}

TEST(StreamDecoder, SeekIsClampedToTheStream) {
    StreamDecoder decoder;
    ASSERT_EQ(decoder.Open(FixturePath("l3_mpeg1_cbr128_joint_v1.mp3")), 0);
    ASSERT_TRUE(decoder.Seek(decoder.TotalFrames() + 5000));
    EXPECT_EQ(decoder.Position(), decoder.TotalFrames());
    float buffer[64];
    EXPECT_EQ(decoder.Read(buffer, 32), 0u);
    ASSERT_TRUE(decoder.Seek(-20));
    EXPECT_EQ(decoder.Position(), 0);
    EXPECT_EQ(decoder.Read(buffer, 32), 32u);
}

TEST(StreamDecoder, ReadsToTheEndInAnyChunkSize) {
    const int64_t total = DecodeWhole("l2_mpeg2_64_mono.mp3").Frames();
    for (size_t chunk : {size_t{1}, size_t{577}, size_t{100000}}) {
        StreamDecoder decoder;
        ASSERT_EQ(decoder.Open(FixturePath("l2_mpeg2_64_mono.mp3")), 0);
        std::vector<float> buffer(2 * chunk);
        int64_t frames = 0;
        while (const size_t got = decoder.Read(buffer.data(), chunk)) frames += static_cast<int64_t>(got);
        EXPECT_EQ(frames, total) << chunk;
        EXPECT_EQ(decoder.Position(), total);
        EXPECT_EQ(decoder.Read(buffer.data(), chunk), 0u);
    }
}

TEST(StreamDecoder, ReopenAndCloseStartAfresh) {
    StreamDecoder decoder;
    ASSERT_EQ(decoder.Open(FixturePath("l3_mpeg1_cbr128_joint_v1.mp3")), 0);
    float buffer[2 * 256];
    ASSERT_EQ(decoder.Read(buffer, 256), 256u);
    ASSERT_EQ(decoder.Open(FixturePath("l3_mpeg25_cbr32_mono.mp3")), 0);
    EXPECT_EQ(decoder.Position(), 0);
    EXPECT_EQ(decoder.Format().sampleRate, 11025);
    decoder.Close();
    EXPECT_FALSE(decoder.IsOpen());
    EXPECT_EQ(decoder.Format().sampleRate, 0);
    EXPECT_EQ(decoder.Read(buffer, 256), 0u);
}

}  // namespace
}  // namespace corvane::engine
