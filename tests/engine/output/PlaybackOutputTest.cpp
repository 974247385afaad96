// What comes out of the outputs: the track itself, to its last sample, and
// what the equalizer, the overall gain and a fade-in make of it, rendered
// through the WAV output and measured; the device output through PortAudio.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>

#include "engine/api/PlaybackEntryPoints.h"
#include "support/Paths.h"
#include "support/ReferenceDecode.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

double LevelChangeDb(const WavAudio &changed, const WavAudio &reference, int channel, double hz) {
    constexpr Stretch kSteady{0.1, 0.9};  // away from the encoder's and the window's edges
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
        const std::vector<int16_t> decoded = ReferenceSixteenBit(path);
        const WavAudio out = RenderToWav(path, "exact");
        ASSERT_EQ(out.channels, 2) << path;
        ASSERT_EQ(out.samples.size(), decoded.size()) << path;
        size_t mismatches = 0;
        for (size_t i = 0; i < decoded.size(); ++i) mismatches += ToPcm16(out.samples[i]) != decoded[i];
        EXPECT_EQ(mismatches, 0u) << path;
    }
}

// The settings are made between tracks, as a host does: they outlast a stop
// and a new start, and switching off leaves the track flat.
TEST_F(PlaybackOutputTest, BandBoostRaisesItsToneOnEveryStartUntilSwitchedOff) {
    static const std::string tones = EncodeMp3("tones-1k-8k", SynthesizeTones({{1000.0, 0.1, 0.1}, {8000.0, 0.1, 0.1}}, 1.0));
    const WavAudio flat = RenderToWav(tones, "eq-flat");
    std::array<int16_t, 10> bands{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    std::array<float, 32> gains{};
    gains[5] = 12.0f;
    engine::CreateEq(bands.data(), static_cast<int16_t>(bands.size()));
    engine::SetEq(gains.data());
    engine::EqState(1);
    const WavAudio first = RenderToWav(tones, "eq-first"), second = RenderToWav(tones, "eq-second");
    engine::EqState(0);
    const WavAudio off = RenderToWav(tones, "eq-off");
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

// Each channel by its own amount, within the gain range.
TEST_F(PlaybackOutputTest, OverallGainChangesEachChannelByItsOwnAmount) {
    const WavAudio flat = RenderToWav(ToneTrack(1000, 0.5, 1.0), "gain-flat");
    for (auto [left, right, heardLeft] : {std::tuple{-6.0f, 3.0f, -6.0f}, {-40.0f, 0.0f, -20.0f}}) {
        engine::SetGain(&left, &right);
        const WavAudio out = RenderToWav(ToneTrack(1000, 0.5, 1.0), "gain");
        ASSERT_FALSE(out.samples.empty());
        EXPECT_NEAR(LevelChangeDb(out, flat, 0, 1000.0), heardLeft, 0.3) << left;
        EXPECT_NEAR(LevelChangeDb(out, flat, 1, 1000.0), right, 0.3) << right;
    }
}

TEST_F(PlaybackOutputTest, FadeInRisesOverItsAttackTime) {
    const WavAudio out = RenderToWav(ToneTrack(1000, 0.5, 2.0), "fade-in", 1.0f);
    ASSERT_FALSE(out.samples.empty());
    const double full = Rms(out, 0, {1.2, 1.8});
    EXPECT_NEAR(ToDb(full), ToDb(0.5 / std::sqrt(2.0)), 0.3);
    EXPECT_LT(Rms(out, 0, {0.0, 0.02}), 0.03 * full);
    for (int tenth = 1; tenth < 10; ++tenth)
        EXPECT_GT(Rms(out, 0, {tenth * 0.1, tenth * 0.1 + 0.1}), Rms(out, 0, {tenth * 0.1 - 0.1, tenth * 0.1})) << tenth;
    // Halfway through the attack the level is half of the full one.
    EXPECT_NEAR(Rms(out, 0, {0.48, 0.52}) / full, 0.5, 0.05);
    EXPECT_NEAR(Rms(out, 0, {1.02, 1.1}) / full, 1.0, 0.03);
}

TEST_F(PlaybackOutputTest, StartFailuresAreCataloguedAndLeaveTheEngineStopped) {
    const std::string notAudio = ScratchFile("not-audio"), wav = "wav-fast:" + ScratchFile("unused");
    std::ofstream(notAudio) << "This is plain text, not MPEG audio, repeated. " << std::string(4000, 'x');
    const std::string &tone = ToneTrack(1000, 0.5, 1.0);
    for (auto [path, output, expected] : {std::tuple{ScratchFile("missing") + ".mp3", wav, 53}, {notAudio, wav, 30075},
                                          {std::string(), wav, 53}, {tone, std::string("speakers-please"), 30101},
                                          {tone, std::string("wav-fast:/nonexistent-folder/out.wav"), 30101},
                                          {tone, std::string("wav:"), 30101}}) {
        ScopedOutput chosen(output);
        EXPECT_EQ(engine::Play(path.c_str()), expected) << path << " " << output;
        EXPECT_EQ(ReadStatus().status, 3) << path;
        EXPECT_EQ(engine::IsFinished(), 0) << path;
    }
    ScopedOutput chosen(wav);
    EXPECT_EQ(engine::Play(nullptr), 53);
    EXPECT_EQ(engine::FadeIn(notAudio.c_str(), 1.0f), 30075);
}

#ifndef _WIN32  // ALSA
// A test-only ALSA configuration stands in for a sound card: everything the
// device is sent lands in a file as it is (32-bit float, stereo), and the
// null PCM behind it takes buffers as fast as they come.
TEST_F(PlaybackOutputTest, DeviceOutputPlaysEveryFrameOfTheTrackOnce) {
    const std::string mp3 = EncodeMp3("device-tone", SynthesizeTones({{500.0, 0.3, 0.2}}, 0.3));
    const std::string raw = ScratchFile("device") + ".raw", config = ScratchFile("alsa") + ".conf";
    std::ofstream(config) << "pcm.!default {\n  type file\n  slave.pcm \"discard\"\n  file \"" << raw
                          << "\"\n  format \"raw\"\n}\npcm.discard {\n  type null\n}\n";
    ScopedVariable alsa("ALSA_CONFIG_PATH", config);
    ScopedOutput device("");
    float left = 12.0f, right = 0.0f;  // the left channel's 0.3 goes beyond full scale and is clipped there
    engine::SetGain(&left, &right);
    ASSERT_EQ(engine::Play(mp3.c_str()), 0);
    ASSERT_TRUE(WaitForFinish());
    engine::StopPlaying();
    // The device is also sent silence where nothing was ready; the track's
    // own frames are the ones that are not silent.
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WavAudio heard{44100, 2, {}};
    for (size_t at = 0; at + 8 <= bytes.size(); at += 8) {
        float frame[2];
        std::memcpy(frame, bytes.data() + at, sizeof frame);
        if (frame[0] != 0.0f || frame[1] != 0.0f) heard.samples.insert(heard.samples.end(), {frame[0], frame[1]});
    }
    EXPECT_NEAR(static_cast<double>(heard.Frames()), 0.3 * 44100, 2.0);
    EXPECT_EQ(Peak(heard, 0), 1.0);
    EXPECT_GT(Rms(heard, 0), 0.3 * std::pow(10.0, 12.0 / 20.0) / std::sqrt(2.0) - 0.1);
    EXPECT_NEAR(ToneAmplitude(heard, 1, 500.0), 0.2, 0.01);
}
#endif

}  // namespace
}  // namespace corvane::testing
