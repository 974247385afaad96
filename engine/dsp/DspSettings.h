#pragma once
// What the host set for equalization and gain, kept by the engine for the
// life of the process (a stop and a new start keep it), and the coefficients
// designed from it for one sample rate, which the audio thread applies.
#include <array>
#include <cstdint>

namespace corvane::engine {

constexpr int kMaxBands = 32;
constexpr float kMaxChannelGainDb = 20.0f;
constexpr float kMaxBandGainDb = 24.0f;

struct DspSettings {
    std::array<float, kMaxBands> bandHz{};      // the first bandCount are in use
    int bandCount = 0;
    std::array<float, kMaxBands> bandGainDb{};  // by band position
    bool equalizerOn = false;
    float leftGainDb = 0.0f;   // the overall gain applies whether or not
    float rightGainDb = 0.0f;  // the equalizer is switched on
};

// One second-order section, normalised so that a0 is 1.
struct Biquad {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    bool IsIdentity() const { return b0 == 1.0f && b1 == 0.0f && b2 == 0.0f && a1 == 0.0f && a2 == 0.0f; }
};

struct DspTarget {
    std::array<Biquad, kMaxBands> bands{};  // identity where a band has no effect
    float leftGain = 1.0f;                  // linear
    float rightGain = 1.0f;
};

// Designs the peaking sections and linear gains of settings at sampleRate.
// Each band's bandwidth follows the spacing of its neighbours in frequency.
DspTarget DesignDsp(const DspSettings &settings, int sampleRate);

// Peaking section at hz with gainDb and a bandwidth in octaves.
Biquad DesignPeaking(double hz, double gainDb, double octaves, int sampleRate);

// The bandwidth in octaves of each band of a layout, from the distance to its
// neighbours (one octave for a band alone).
std::array<double, kMaxBands> BandwidthsInOctaves(const std::array<float, kMaxBands> &hz, int count);

}  // namespace corvane::engine
