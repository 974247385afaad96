// The analysis of heard audio: its scales and where each value comes from
// (channel 0 both channels, 1 left, 2 right).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/analysis/Analysis.h"

namespace corvane::engine {
namespace {

constexpr int kRate = 44100;

struct Reading {
    AnalysisSnapshot snapshot;
    std::array<float, 3 * kSpectrumBins> spectrum{};
    std::array<int16_t, 3 * kWaveSamples> wave{};
    explicit Reading(Analyzer &analyzer) {
        analyzer.TakeSnapshot(snapshot);
        SpectrumAnalyzer().Fill(snapshot, spectrum.data());
        FillWave(snapshot, wave.data());
    }
    float Spectrum(int channel, int bin) const { return spectrum[channel + 3 * bin]; }
    int16_t Wave(int channel, int k) const { return wave[channel + 3 * k]; }
};

std::vector<float> Stereo(size_t frames, double leftHz, double leftAmplitude, double rightHz, double rightAmplitude) {
    std::vector<float> stereo(2 * frames);
    for (size_t n = 0; n < frames; ++n) {
        stereo[2 * n] = static_cast<float>(leftAmplitude * std::sin(2 * std::numbers::pi * leftHz * n / kRate));
        stereo[2 * n + 1] = static_cast<float>(rightAmplitude * std::sin(2 * std::numbers::pi * rightHz * n / kRate));
    }
    return stereo;
}

TEST(AnalysisTest, FullScaleSineCentredOnABinReadsFullScaleThere) {
    Analyzer analyzer;
    const auto binHz = [](int bin) { return bin * static_cast<double>(kRate) / 256; };
    const std::vector<float> audio = Stereo(1000, binHz(8), 1.0, binHz(40), 0.5);
    analyzer.Add(audio.data(), 1000);
    const Reading reading(analyzer);
    for (int bin = 0; bin < kSpectrumBins; ++bin) {
        EXPECT_NEAR(reading.Spectrum(1, bin), bin == 8 ? 1.0 : 0.0, std::abs(bin - 8) == 1 ? 1.0 : 0.01) << bin;
        EXPECT_NEAR(reading.Spectrum(2, bin), bin == 40 ? 0.5 : 0.0, std::abs(bin - 40) == 1 ? 1.0 : 0.01) << bin;
    }
    // Both channels mixed: each tone at half its level.
    EXPECT_NEAR(reading.Spectrum(0, 8), 0.5, 0.01);
    EXPECT_NEAR(reading.Spectrum(0, 40), 0.25, 0.01);
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
    const Reading reading(analyzer);
    for (int k = 0; k < 256; ++k) {
        const float left = ramp[2 * (344 + k)], right = ramp[2 * (344 + k) + 1];
        ASSERT_EQ(reading.Wave(1, k), std::lrint(left * 32767)) << k;
        ASSERT_EQ(reading.Wave(2, k), std::lrint(right * 32767)) << k;
        ASSERT_EQ(reading.Wave(0, k), std::lrint((left + right) / 2 * 32767)) << k;
    }
}

TEST(AnalysisTest, LevelsBeyondFullScaleAreCappedAndResetForgetsAll) {
    Analyzer analyzer;
    const std::vector<float> over = Stereo(512, 500, 1.5, 500, 1.5);
    analyzer.Add(over.data(), 512);
    EXPECT_EQ(Reading(analyzer).snapshot.vu[0], 32767);
    analyzer.Add(over.data(), 512);
    analyzer.Reset();
    const Reading reading(analyzer);
    EXPECT_EQ(reading.snapshot.vu, (std::array<int16_t, 3>{}));
    for (int16_t value : reading.wave) ASSERT_EQ(value, 0);
    for (float value : reading.spectrum) ASSERT_EQ(value, 0.0f);
}

}  // namespace
}  // namespace corvane::engine
