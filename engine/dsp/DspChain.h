#pragma once
// The settings-driven part of the output path on the audio thread: the
// equalizer, then the overall gain of each channel, both ramped.
//
// engine/dsp holds the signal processing of the output path (settings,
// equalizer, gain ramp, this chain); it includes no other room.
#include <cstddef>

#include "engine/dsp/DspEqualizer.h"
#include "engine/dsp/DspGainRamp.h"
#include "engine/dsp/DspSettings.h"

namespace corvane::engine {

class DspChain {
public:
    // Changes take rampMilliseconds to complete.
    DspChain(int sampleRate, int rampMilliseconds = 20);

    void Snap(const DspTarget &target);
    void RampTo(const DspTarget &target);
    void Process(float *stereo, size_t frames);
    // Whether Process would leave every sample as it is.
    bool IsIdentity() const;

private:
    int rampFrames_;
    DspEqualizer equalizer_;
    DspGainRamp left_;
    DspGainRamp right_;
};

}  // namespace corvane::engine
