// The analysis of heard audio: its scales and where each value comes from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/Analysis.h"

namespace corvane::engine {
namespace {

constexpr int kRate = 44100;

std::vector<float> Stereo(size_t frames, double leftHz, double leftAmplitude, double rightHz, double rightAmplitude) {
    std::vector<float> stereo(2 * frames);
    for (size_t n = 0; n < frames; ++n) {
        stereo[2 * n] = static_cast<float>(leftAmplitude * std::sin(2 * std::numbers::pi * leftHz * n / kRate));
        stereo[2 * n + 1] = static_cast<float>(rightAmplitude * std::sin(2 * std::numbers::pi * rightHz * n / kRate));
    }
    return stereo;
}

double BinHz(int bin) { return bin * static_cast<double>(kRate) / kFftSize; }

struct Spectrum {
    std::array<float, 3 * kSpectrumBins> values{};
    explicit Spectrum(const AnalysisSnapshot &snapshot) {
        SpectrumAnalyzer analyzer;
        analyzer.Fill(snapshot, values.data());
    }
};

float SpectrumAt(const AnalysisSnapshot &s, int channel, int bin) { return Spectrum(s).values[channel + 3 * bin]; }
int16_t WaveAt(const AnalysisSnapshot &s, int channel, int k) {
    std::array<int16_t, 3 * kWaveSamples> wave{};
    FillWave(s, wave.data());
    return wave[channel + 3 * k];
}

TEST(AnalysisTest, FullScaleSineCentredOnABinReadsFullScaleThere) {
    Analyzer analyzer;
    const std::vector<float> audio = Stereo(1000, BinHz(8), 1.0, BinHz(40), 0.5);
    analyzer.Add(audio.data(), 1000);
    AnalysisSnapshot snapshot;
    analyzer.TakeSnapshot(snapshot);
    EXPECT_NEAR(SpectrumAt(snapshot, 1, 8), kSpectrumFullScale, 0.01);
    EXPECT_NEAR(SpectrumAt(snapshot, 2, 40), 0.5, 0.01);
    for (int bin = 0; bin < kSpectrumBins; ++bin) {
        if (std::abs(bin - 8) > 1) EXPECT_LT(SpectrumAt(snapshot, 1, bin), 0.01) << bin;
        if (std::abs(bin - 40) > 1) EXPECT_LT(SpectrumAt(snapshot, 2, bin), 0.01) << bin;
    }
    // Both channels mixed: each tone at half its level.
    EXPECT_NEAR(SpectrumAt(snapshot, 0, 8), 0.5, 0.01);
    EXPECT_NEAR(SpectrumAt(snapshot, 0, 40), 0.25, 0.01);
}

TEST(AnalysisTest, WaveFormIsTheLatestSamplesInOrder) {
    Analyzer analyzer;
    std::vector<float> ramp(2 * 600);
    for (size_t n = 0; n < 600; ++n) {
        ramp[2 * n] = static_cast<float>(n) / 1000.0f;
        ramp[2 * n + 1] = -static_cast<float>(n) / 2000.0f;
    }
    analyzer.Add(ramp.data(), 300);
    analyzer.Add(ramp.data() + 600, 300);  // in two parts, as blocks arrive
    AnalysisSnapshot snapshot;
    analyzer.TakeSnapshot(snapshot);
    for (int k = 0; k < kWaveSamples; ++k) {
        const size_t frame = 600 - kWaveSamples + k;
        const float left = ramp[2 * frame], right = ramp[2 * frame + 1];
        ASSERT_EQ(WaveAt(snapshot, 1, k), std::lrint(left * 32767)) << k;
        ASSERT_EQ(WaveAt(snapshot, 2, k), std::lrint(right * 32767)) << k;
        ASSERT_EQ(WaveAt(snapshot, 0, k), std::lrint((left + right) / 2 * 32767)) << k;
    }
}

TEST(AnalysisTest, LevelsBeyondFullScaleAreCappedAndResetForgetsAll) {
    Analyzer analyzer;
    const std::vector<float> over = Stereo(512, 500, 1.5, 500, 1.5);
    analyzer.Add(over.data(), 512);
    AnalysisSnapshot snapshot;
    analyzer.TakeSnapshot(snapshot);
    EXPECT_EQ(snapshot.vu[0], kVuMax);
    analyzer.Reset();
    analyzer.TakeSnapshot(snapshot);
    EXPECT_EQ(snapshot.vu[0], 0);
    for (int k = 0; k < kWaveSamples; ++k) ASSERT_EQ(WaveAt(snapshot, 0, k), 0);
    for (float value : Spectrum(snapshot).values) ASSERT_EQ(value, 0.0f);
}

}  // namespace
}  // namespace corvane::engine
