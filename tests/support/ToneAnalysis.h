#pragma once
// Measuring test output: the amplitude of one frequency, levels and peaks
// over a stretch of interleaved audio.
#include <cstddef>

#include "support/WavFile.h"

namespace corvane::testing {

struct Stretch {
    double fromSeconds = 0.0;
    double toSeconds = 0.0;  // 0: to the end
};

// Peak amplitude of the sine at hz in one channel of the stretch (Hann
// window, so that neighbouring tones and the edges hardly leak in).
double ToneAmplitude(const WavAudio &audio, int channel, double hz, Stretch stretch = {});
double Rms(const WavAudio &audio, int channel, Stretch stretch = {});
double Peak(const WavAudio &audio, int channel, Stretch stretch = {});
// Same for a plain interleaved array of `channels` channels at `rate`.
double ToneAmplitude(const float *samples, size_t frames, int channels, int channel, double hz, int rate);

double ToDb(double amplitude);

}  // namespace corvane::testing
