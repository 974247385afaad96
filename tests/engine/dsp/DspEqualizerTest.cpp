// The equalizer's sections, the clamps of the settings and the ramps of
// every change on the output path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "engine/dsp/DspChain.h"
#include "engine/dsp/DspSettings.h"

namespace corvane::engine {
namespace {

constexpr int kRate = 44100;

// The magnitude response of a section at hz, in dB.
double ResponseDb(const Biquad &c, double hz, int rate = kRate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / rate), z2 = z1 * z1;
    return 20.0 * std::log10(std::abs((double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2) /
                                      (1.0 + double(c.a1) * z1 + double(c.a2) * z2)));
}

DspSettings OneBand(float hz, float gainDb, float leftDb = 0, float rightDb = 0) {
    return {.bandHz = {hz}, .bandCount = 1, .bandGainDb = {gainDb}, .equalizerOn = true, .leftGainDb = leftDb, .rightGainDb = rightDb};
}

TEST(DspEqualizerTest, PeakingSectionHasItsGainAtItsFrequencyAndNoneFarAway) {
    struct Case {
        double hz, gainDb, octaves;
        int rate;
    };
    for (const Case c : {Case{1000, 12, 1, 44100}, Case{1000, -12, 1, 44100}, Case{60, 6, 1, 48000},
                         Case{14000, 9, 0.5, 44100}, Case{250, -20, 2, 22050}, Case{3000, 24, 1.0 / 3, 32000}}) {
        const Biquad section = DesignPeaking(c.hz, c.gainDb, c.octaves, c.rate);
        EXPECT_NEAR(ResponseDb(section, c.hz, c.rate), c.gainDb, 0.01) << c.hz;
        const double far = c.hz * std::pow(2.0, -4.0 * std::max(1.0, c.octaves));
        EXPECT_NEAR(ResponseDb(section, far, c.rate), 0.0, 0.3) << c.hz;
    }
    EXPECT_TRUE(DesignPeaking(1000, 0.0, 1, kRate).IsIdentity());
    EXPECT_TRUE(DesignPeaking(21000, 12.0, 1, kRate).IsIdentity());  // too near the Nyquist frequency
    EXPECT_TRUE(DesignPeaking(12000, 12.0, 1, 22050).IsIdentity());  // above it
    DspSettings off = OneBand(1000, 12);
    off.equalizerOn = false;
    EXPECT_TRUE(DesignDsp(off, kRate).bands[0].IsIdentity());
}

TEST(DspEqualizerTest, BandwidthFollowsTheSpacingOfTheNeighbours) {
    struct Case {
        std::array<float, kMaxBands> hz;
        int count;
        std::vector<double> octaves;
    };
    for (const Case &c : {Case{{1000, 125, 250, 500, 2000}, 5, {1, 1, 1, 1, 1}},  // not in order
                          Case{{100, 200, 800}, 3, {1, 1.5, 2}},  // one octave below, two above
                          Case{{440}, 1, {1}}}) {
        const auto widths = BandwidthsInOctaves(c.hz, c.count);
        for (int band = 0; band < c.count; ++band) EXPECT_NEAR(widths[band], c.octaves[band], 1e-9) << band;
    }
}

TEST(DspEqualizerTest, GainsAreClampedToTheirRanges) {
    for (float sign : {1.0f, -1.0f}) {
        const DspTarget target = DesignDsp(OneBand(1000, sign * 80, sign * 35, -sign * 19), kRate);
        EXPECT_NEAR(ResponseDb(target.bands[0], 1000), sign * 24.0, 0.01);
        EXPECT_NEAR(20 * std::log10(target.leftGain), sign * 20.0, 1e-4);
        EXPECT_NEAR(20 * std::log10(target.rightGain), -sign * 19.0, 1e-4);
    }
}

// Switching a band from -12 dB to +12 dB in one step bends the wave form
// sharply; the chain's ramp keeps it as smooth as the louder sine itself.
TEST(DspEqualizerTest, ChangesAreRampedWithoutAClick) {
    constexpr size_t kFrames = 8192, kChange = 2000;
    const double hz = 200.0, amplitude = 0.2;
    const double smoothLimit = 1.2 * 4.0 * amplitude * std::pow(2.0 * std::numbers::pi * hz / kRate, 2.0);
    auto render = [&](bool ramped) {
        DspChain chain(kRate);
        chain.Snap(DesignDsp(OneBand(200, -12), kRate));
        std::vector<float> signal(2 * kFrames);
        for (size_t n = 0; n < kFrames; ++n)
            signal[2 * n] = signal[2 * n + 1] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / kRate));
        chain.Process(signal.data(), kChange);
        ramped ? chain.RampTo(DesignDsp(OneBand(200, 12), kRate)) : chain.Snap(DesignDsp(OneBand(200, 12), kRate));
        chain.Process(signal.data() + 2 * kChange, kFrames - kChange);
        return signal;
    };
    // The largest second difference of the left channel: small for any
    // smooth signal, large at a click.
    auto largestBend = [](const std::vector<float> &s) {
        double largest = 0.0;
        for (size_t n = kChange - 100; n < kFrames; ++n)
            largest = std::max(largest, std::abs(double(s[2 * n]) - 2.0 * s[2 * (n - 1)] + s[2 * (n - 2)]));
        return largest;
    };
    const std::vector<float> ramped = render(true);
    EXPECT_LT(largestBend(ramped), smoothLimit);
    EXPECT_GT(largestBend(render(false)), 10.0 * smoothLimit);
    // And the boost is there once the ramp is over.
    float peak = 0.0f;
    for (size_t n = kFrames - 2000; n < kFrames; ++n) peak = std::max(peak, std::abs(ramped[2 * n]));
    EXPECT_NEAR(20 * std::log10(peak / amplitude), 12.0, 0.2);
}

TEST(DspEqualizerTest, OverallGainMovesSmoothlyToItsNewValue) {
    DspChain chain(kRate, 20);
    chain.Snap(DesignDsp(DspSettings{}, kRate));
    chain.RampTo(DesignDsp({.leftGainDb = -6.0f, .rightGainDb = 6.0f}, kRate));
    std::vector<float> ones(2 * 2000, 1.0f);
    chain.Process(ones.data(), 2000);
    for (size_t n = 1; n < kRate * 20 / 1000; ++n) {
        EXPECT_LT(ones[2 * n], ones[2 * (n - 1)]) << n;
        EXPECT_GT(ones[2 * n + 1], ones[2 * (n - 1) + 1]) << n;
    }
    EXPECT_NEAR(ones[2 * 1999], std::pow(10.0f, -6.0f / 20.0f), 1e-6);
    EXPECT_NEAR(ones[2 * 1999 + 1], std::pow(10.0f, 6.0f / 20.0f), 1e-6);
}

// Low bands in float at a high rate are where a biquad goes wrong first.
TEST(DspEqualizerTest, LowBandStaysStableAndSettlesToSilence) {
    DspChain chain(96000);
    chain.Snap(DesignDsp(OneBand(20, 24), 96000));
    std::vector<float> signal(2 * 96000, 0.0f);
    signal[0] = signal[1] = 1.0f;  // an impulse, then silence
    chain.Process(signal.data(), 96000);
    for (float value : signal) ASSERT_TRUE(std::isfinite(value));
    EXPECT_LT(std::abs(signal[2 * 95999]), 1e-4f);
}

}  // namespace
}  // namespace corvane::engine
