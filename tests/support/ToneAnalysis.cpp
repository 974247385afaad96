#include "support/ToneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvane::testing {

namespace {

struct Range {
    size_t from, to;
};

Range Frames(const WavAudio &audio, Stretch stretch) {
    const size_t total = audio.Frames();
    const size_t from = std::min(total, static_cast<size_t>(std::max(0.0, stretch.fromSeconds) * audio.sampleRate));
    const size_t to = stretch.toSeconds > 0.0
                          ? std::min(total, static_cast<size_t>(stretch.toSeconds * audio.sampleRate))
                          : total;
    return {from, std::max(from, to)};
}

}  // namespace

double ToneAmplitude(const float *samples, size_t frames, int channels, int channel, double hz, int rate) {
    if (frames == 0) return 0.0;
    double real = 0.0, imaginary = 0.0, windowSum = 0.0;
    for (size_t n = 0; n < frames; ++n) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / frames);
        const double phase = 2.0 * std::numbers::pi * hz * n / rate;
        const double value = samples[n * channels + channel] * window;
        real += value * std::cos(phase);
        imaginary -= value * std::sin(phase);
        windowSum += window;
    }
    return 2.0 * std::hypot(real, imaginary) / windowSum;
}

double ToneAmplitude(const WavAudio &audio, int channel, double hz, Stretch stretch) {
    const Range range = Frames(audio, stretch);
    return ToneAmplitude(audio.samples.data() + range.from * audio.channels, range.to - range.from, audio.channels,
                         channel, hz, audio.sampleRate);
}

double Rms(const WavAudio &audio, int channel, Stretch stretch) {
    const Range range = Frames(audio, stretch);
    if (range.to == range.from) return 0.0;
    double sum = 0.0;
    for (size_t frame = range.from; frame < range.to; ++frame) sum += audio.At(frame, channel) * audio.At(frame, channel);
    return std::sqrt(sum / static_cast<double>(range.to - range.from));
}

double Peak(const WavAudio &audio, int channel, Stretch stretch) {
    const Range range = Frames(audio, stretch);
    double peak = 0.0;
    for (size_t frame = range.from; frame < range.to; ++frame) peak = std::max(peak, std::abs(double(audio.At(frame, channel))));
    return peak;
}

double ToDb(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

}  // namespace corvane::testing
