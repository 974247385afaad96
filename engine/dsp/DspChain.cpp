#include "engine/dsp/DspChain.h"

#include <algorithm>

namespace corvane::engine {

DspChain::DspChain(int sampleRate, int rampMilliseconds)
    : rampFrames_(std::max(1, sampleRate * rampMilliseconds / 1000)), equalizer_(rampFrames_) {}

void DspChain::Snap(const DspTarget &target) {
    equalizer_.Snap(target.bands);
    left_.Jump(target.leftGain);
    right_.Jump(target.rightGain);
}

void DspChain::RampTo(const DspTarget &target) {
    equalizer_.RampTo(target.bands);
    left_.RampTo(target.leftGain, rampFrames_);
    right_.RampTo(target.rightGain, rampFrames_);
}

bool DspChain::IsIdentity() const { return equalizer_.IsFlat() && left_.IsUnity() && right_.IsUnity(); }

void DspChain::Process(float *stereo, size_t frames) {
    if (!equalizer_.IsFlat()) equalizer_.Process(stereo, frames);
    if (left_.IsUnity() && right_.IsUnity()) return;
    for (size_t frame = 0; frame < frames; ++frame) {
        stereo[2 * frame] *= left_.Next();
        stereo[2 * frame + 1] *= right_.Next();
    }
}

}  // namespace corvane::engine
