// What comes out of the output: the track itself, to its last sample, and
// what the equalizer, the overall gain and a fade-in make of it. Everything
// is rendered through the WAV output and measured.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/PlaybackEntryPoints.h"
#include "engine/StreamDecoder.h"
#include "support/Paths.h"
#include "support/ReferenceDecode.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

constexpr int kRate = 44100;
// The inner part of a tone, away from the encoder's and the window's edges.
constexpr Stretch kSteady{0.1, 0.9};

const std::string &NearAndFarTones() {
    static const std::string path =
        EncodeMp3("tones-1k-8k", SynthesizeTones({{1000.0, 0.1, 0.1}, {8000.0, 0.1, 0.1}}, 1.0));
    return path;
}

void UseTenBands(float gainAtOneKilohertz) {
    std::array<int16_t, 10> bands{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    std::array<float, 32> gains{};
    gains[5] = gainAtOneKilohertz;
    engine::CreateEq(bands.data(), static_cast<int16_t>(bands.size()));
    engine::SetEq(gains.data());
}

double LevelChangeDb(const WavAudio &changed, const WavAudio &reference, int channel, double hz) {
    return ToDb(ToneAmplitude(changed, channel, hz, kSteady)) - ToDb(ToneAmplitude(reference, channel, hz, kSteady));
}

class PlaybackOutputTest : public ::testing::Test {
protected:
    void SetUp() override { ResetEqualizerAndGains(); }
    void TearDown() override {
        engine::StopPlaying();
        ResetEqualizerAndGains();
    }
};

// With the equalizer off and unity gain the output is the decoder's own
// 16-bit output, sample for sample, to the last one.
TEST_F(PlaybackOutputTest, OutputIsTheDecodersOwnSixteenBitTrackToItsLastSample) {
    for (const std::string &path : {ToneTrack(1000, 0.5, 1.0), FixturePath("l2_mpeg2_64_mono.mp3")}) {
        SCOPED_TRACE(path);
        const std::vector<int16_t> decoded = ReferenceSixteenBit(path);
        const WavAudio out = RenderToWav(path, "exact");
        ASSERT_EQ(out.channels, 2);
        ASSERT_EQ(out.samples.size(), decoded.size());
        size_t mismatches = 0;
        for (size_t i = 0; i < decoded.size(); ++i) mismatches += ToPcm16(out.samples[i]) != decoded[i];
        EXPECT_EQ(mismatches, 0u);
        EXPECT_EQ(ToPcm16(out.samples.back()), decoded.back());
    }
}

// The settings are made between tracks, as a host does: they outlast a stop
// and a new start, and switching off leaves the track flat.
TEST_F(PlaybackOutputTest, BandBoostRaisesItsToneOnEveryStartUntilSwitchedOff) {
    const WavAudio flat = RenderToWav(NearAndFarTones(), "eq-flat");
    UseTenBands(12.0f);
    engine::EqState(1);
    const WavAudio first = RenderToWav(NearAndFarTones(), "eq-first");
    const WavAudio second = RenderToWav(NearAndFarTones(), "eq-second");
    engine::EqState(0);
    const WavAudio off = RenderToWav(NearAndFarTones(), "eq-off");
    ASSERT_FALSE(flat.samples.empty());
    for (const WavAudio *boosted : {&first, &second}) {
        ASSERT_FALSE(boosted->samples.empty());
        for (int channel : {0, 1}) {
            EXPECT_NEAR(LevelChangeDb(*boosted, flat, channel, 1000.0), 12.0, 1.5) << channel;
            EXPECT_NEAR(LevelChangeDb(*boosted, flat, channel, 8000.0), 0.0, 0.5) << channel;
        }
    }
    ASSERT_FALSE(off.samples.empty());
    EXPECT_NEAR(LevelChangeDb(off, flat, 0, 1000.0), 0.0, 0.05);
}

TEST_F(PlaybackOutputTest, OverallGainChangesEachChannelByItsOwnAmount) {
    struct Case {
        float left, right;
    };
    const WavAudio flat = RenderToWav(ToneTrack(1000, 0.5, 1.0), "gain-flat");
    for (const Case gain : {Case{-6.0f, -6.0f}, Case{-6.0f, 0.0f}, Case{0.0f, 3.0f}, Case{-40.0f, 0.0f}}) {
        float left = gain.left, right = gain.right;
        engine::SetGain(&left, &right);
        const WavAudio out = RenderToWav(ToneTrack(1000, 0.5, 1.0), "gain");
        ASSERT_FALSE(out.samples.empty());
        const float expectedLeft = std::max(gain.left, -20.0f);  // the gain range ends at -20 dB
        EXPECT_NEAR(LevelChangeDb(out, flat, 0, 1000.0), expectedLeft, 0.3) << gain.left;
        EXPECT_NEAR(LevelChangeDb(out, flat, 1, 1000.0), gain.right, 0.3) << gain.right;
    }
}

TEST_F(PlaybackOutputTest, FadeInRisesOverItsAttackTime) {
    const WavAudio out = RenderToWav(ToneTrack(1000, 0.5, 2.0), "fade-in", 1.0f);
    ASSERT_FALSE(out.samples.empty());
    const double full = Rms(out, 0, {1.2, 1.8});
    EXPECT_NEAR(ToDb(full), ToDb(0.5 / std::sqrt(2.0)), 0.3);
    EXPECT_LT(Rms(out, 0, {0.0, 0.02}), 0.03 * full);
    double previous = 0.0;
    for (int tenth = 0; tenth < 10; ++tenth) {
        const double level = Rms(out, 0, {tenth * 0.1, tenth * 0.1 + 0.1});
        EXPECT_GT(level, previous) << tenth;
        previous = level;
    }
    // Halfway through the attack the level is half of the full one.
    EXPECT_NEAR(Rms(out, 0, {0.48, 0.52}) / full, 0.5, 0.05);
    EXPECT_NEAR(Rms(out, 0, {1.02, 1.1}) / full, 1.0, 0.03);
}

TEST_F(PlaybackOutputTest, StartFailuresAreCataloguedAndLeaveTheEngineStopped) {
    const std::string notAudio = ScratchFile("not-audio");
    std::ofstream(notAudio) << "This is plain text, not MPEG audio, repeated. " << std::string(4000, 'x');
    const std::string wav = "wav-fast:" + ScratchFile("unused");
    struct Case {
        std::string path;
        std::string output;
        int16_t expected;
    };
    const std::vector<Case> cases{
        {ScratchFile("missing") + ".mp3", wav, 53},
        {notAudio, wav, 30075},
        {"", wav, 53},
        {ToneTrack(1000, 0.5, 1.0), "speakers-please", 30101},
        {ToneTrack(1000, 0.5, 1.0), "wav-fast:/nonexistent-folder/out.wav", 30101},
        {ToneTrack(1000, 0.5, 1.0), "wav:", 30101},
    };
    for (const Case &c : cases) {
        ScopedOutput output(c.output);
        EXPECT_EQ(engine::Play(c.path.c_str()), c.expected) << c.path << " " << c.output;
        EXPECT_EQ(ReadStatus().status, 3) << c.path;
        EXPECT_EQ(engine::IsFinished(), 0) << c.path;
    }
    ScopedOutput output(wav);
    EXPECT_EQ(engine::Play(nullptr), 53);
    EXPECT_EQ(engine::FadeIn(notAudio.c_str(), 1.0f), 30075);
}

}  // namespace
}  // namespace corvane::testing
