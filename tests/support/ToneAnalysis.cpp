#include "support/ToneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace corvane::testing {

namespace {

// The first and one-past-last frames of the stretch, within the audio.
std::pair<size_t, size_t> Frames(const WavAudio &audio, Stretch stretch) {
    const auto at = [&](double seconds) { return std::min(audio.Frames(), static_cast<size_t>(seconds * audio.sampleRate)); };
    const size_t from = at(std::max(0.0, stretch.fromSeconds));
    return {from, std::max(from, stretch.toSeconds > 0.0 ? at(stretch.toSeconds) : audio.Frames())};
}

}  // namespace

double ToneAmplitude(const float *samples, size_t frames, int channels, int channel, double hz, int rate) {
    double real = 0.0, imaginary = 0.0, windowSum = 0.0;
    for (size_t n = 0; n < frames; ++n) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / frames);
        const double phase = 2.0 * std::numbers::pi * hz * n / rate;
        const double value = samples[n * channels + channel] * window;
        real += value * std::cos(phase);
        imaginary -= value * std::sin(phase);
        windowSum += window;
    }
    return frames == 0 ? 0.0 : 2.0 * std::hypot(real, imaginary) / windowSum;
}

double ToneAmplitude(const WavAudio &audio, int channel, double hz, Stretch stretch) {
    const auto [from, to] = Frames(audio, stretch);
    return ToneAmplitude(audio.samples.data() + from * audio.channels, to - from, audio.channels, channel, hz,
                         audio.sampleRate);
}

double Rms(const WavAudio &audio, int channel, Stretch stretch) {
    const auto [from, to] = Frames(audio, stretch);
    double sum = 0.0;
    for (size_t frame = from; frame < to; ++frame) sum += audio.At(frame, channel) * audio.At(frame, channel);
    return to == from ? 0.0 : std::sqrt(sum / static_cast<double>(to - from));
}

double Peak(const WavAudio &audio, int channel, Stretch stretch) {
    const auto [from, to] = Frames(audio, stretch);
    double peak = 0.0;
    for (size_t frame = from; frame < to; ++frame) peak = std::max(peak, std::abs(double(audio.At(frame, channel))));
    return peak;
}

double ToDb(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

}  // namespace corvane::testing
