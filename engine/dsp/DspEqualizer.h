#pragma once
// The equalizer on the audio thread: up to 32 peaking sections in series on
// both channels, in float. A new set of coefficients is reached by moving
// every section's coefficients linearly from the old set to the new one over
// a short ramp (a path that stays stable, since both ends are), so changes of
// gain, layout or the on/off switch never click. Sections that are flat cost
// nothing.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/dsp/DspSettings.h"

namespace corvane::engine {

class DspEqualizer {
public:
    explicit DspEqualizer(int rampFrames);

    void Snap(const std::array<Biquad, kMaxBands> &sections);
    void RampTo(const std::array<Biquad, kMaxBands> &sections);
    // Filters interleaved stereo in place.
    void Process(float *stereo, size_t frames);

    bool IsFlat() const { return activeCount_ == 0 && !ramping_; }

private:
    struct ChannelState {
        float z1 = 0.0f, z2 = 0.0f;
    };
    struct SectionState {
        ChannelState left, right;
    };

    void AdvanceRamp(size_t frames);
    void CollectActiveSections();
    void RunSections(float *stereo, size_t frames);

    int rampFrames_;
    int rampDone_ = 0;
    bool ramping_ = false;
    std::array<Biquad, kMaxBands> current_{};
    std::array<Biquad, kMaxBands> from_{};
    std::array<Biquad, kMaxBands> to_{};
    std::array<SectionState, kMaxBands> state_{};
    std::array<uint8_t, kMaxBands> active_{};
    int activeCount_ = 0;
};

}  // namespace corvane::engine
