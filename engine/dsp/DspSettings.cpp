#include "engine/dsp/DspSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace corvane::engine {

namespace {

constexpr double kMinOctaves = 1.0 / 6.0;
constexpr double kMaxOctaves = 3.0;
constexpr double kSilentGainDb = 0.01;
// Bands this close to the Nyquist frequency cannot be shaped; they are left
// flat rather than turned into something unstable.
constexpr double kHighestUsableFraction = 0.45;

float DbToLinear(float db) { return std::pow(10.0f, db / 20.0f); }

}  // namespace

Biquad DesignPeaking(double hz, double gainDb, double octaves, int sampleRate) {
    Biquad section;
    if (sampleRate <= 0 || hz <= 0.0 || hz >= kHighestUsableFraction * sampleRate ||
        std::abs(gainDb) < kSilentGainDb) {
        return section;
    }
    const double amplitude = std::pow(10.0, gainDb / 40.0);
    const double omega = 2.0 * std::numbers::pi * hz / sampleRate;
    const double sine = std::sin(omega);
    const double cosine = std::cos(omega);
    const double bandwidthFactor = std::pow(2.0, octaves);
    const double q = std::sqrt(bandwidthFactor) / (bandwidthFactor - 1.0);
    const double alpha = sine / (2.0 * q);
    const double a0 = 1.0 + alpha / amplitude;
    section.b0 = static_cast<float>((1.0 + alpha * amplitude) / a0);
    section.b1 = static_cast<float>(-2.0 * cosine / a0);
    section.b2 = static_cast<float>((1.0 - alpha * amplitude) / a0);
    section.a1 = static_cast<float>(-2.0 * cosine / a0);
    section.a2 = static_cast<float>((1.0 - alpha / amplitude) / a0);
    return section;
}

std::array<double, kMaxBands> BandwidthsInOctaves(const std::array<float, kMaxBands> &hz, int count) {
    std::array<double, kMaxBands> octaves{};
    octaves.fill(1.0);
    count = std::clamp(count, 0, kMaxBands);
    std::array<int, kMaxBands> order{};
    std::iota(order.begin(), order.begin() + count, 0);
    std::sort(order.begin(), order.begin() + count, [&](int a, int b) { return hz[a] < hz[b]; });
    auto spacing = [&](int lower, int upper) {
        return std::log2(std::max<double>(hz[order[upper]], 1.0) / std::max<double>(hz[order[lower]], 1.0));
    };
    for (int i = 0; i < count && count > 1; ++i) {
        double width;
        if (i == 0) {
            width = spacing(0, 1);
        } else if (i == count - 1) {
            width = spacing(count - 2, count - 1);
        } else {
            width = (spacing(i - 1, i) + spacing(i, i + 1)) / 2.0;
        }
        octaves[order[i]] = std::clamp(width, kMinOctaves, kMaxOctaves);
    }
    return octaves;
}

DspTarget DesignDsp(const DspSettings &settings, int sampleRate) {
    DspTarget target;
    target.leftGain = DbToLinear(std::clamp(settings.leftGainDb, -kMaxChannelGainDb, kMaxChannelGainDb));
    target.rightGain = DbToLinear(std::clamp(settings.rightGainDb, -kMaxChannelGainDb, kMaxChannelGainDb));
    if (!settings.equalizerOn) return target;
    const int count = std::clamp(settings.bandCount, 0, kMaxBands);
    const std::array<double, kMaxBands> octaves = BandwidthsInOctaves(settings.bandHz, count);
    for (int band = 0; band < count; ++band) {
        const double gain = std::clamp(settings.bandGainDb[band], -kMaxBandGainDb, kMaxBandGainDb);
        target.bands[band] = DesignPeaking(settings.bandHz[band], gain, octaves[band], sampleRate);
    }
    return target;
}

}  // namespace corvane::engine
