// demo_track OUT.wav: synthesises the demo track that cvmp3 plays when it is
// given no file (45 s of music, 44.1 kHz stereo, 16-bit PCM). The build
// encodes it to demo.mp3 with lame.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kRate = 44100;
constexpr double kSeconds = 45.0;

// Interleaved stereo samples in [-1, 1].
struct Mix {
    std::vector<float> samples = std::vector<float>(2 * static_cast<size_t>(std::llround(kSeconds * kRate)), 0.0f);
    size_t Frames() const { return samples.size() / 2; }
};

double MidiFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Adds one voice: wave(t) for t from 0 while it lasts, placed at pan (0 left, 1 right).
void AddVoice(Mix &mix, double start, double duration, double pan, const std::function<double(double)> &wave) {
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>(duration * kRate);
    const double left = std::cos(pan * kPi / 2);
    const double right = std::sin(pan * kPi / 2);
    for (size_t i = 0; i < count && first + i < mix.Frames(); ++i) {
        const double value = wave(static_cast<double>(i) / kRate);
        mix.samples[2 * (first + i)] += static_cast<float>(value * left);
        mix.samples[2 * (first + i) + 1] += static_cast<float>(value * right);
    }
}

double Envelope(double t, double attack, double length, double release) {
    if (t < attack) return t / attack;
    if (t > length - release) return std::max(0.0, (length - t) / release);
    return 1.0;
}

struct Chord {
    int bass;
    int tones[3];
    int melody[4];  // quarter notes; -1 is a rest
};

constexpr Chord kProgression[] = {
    {36, {60, 64, 67}, {76, 79, 81, 79}},  // C
    {33, {57, 60, 64}, {76, 72, 74, -1}},  // Am
    {41, {57, 60, 65}, {72, 74, 76, 81}},  // F
    {43, {59, 62, 67}, {79, 76, 74, -1}},  // G
    {36, {60, 64, 67}, {72, 76, 79, 84}},  // C
    {40, {59, 64, 67}, {83, 79, 76, -1}},  // Em
    {41, {57, 60, 65}, {81, 79, 76, 74}},  // F
    {43, {59, 62, 67}, {74, 79, 74, -1}},  // G
};

void AddChord(Mix &mix, const Chord &chord, double start, double bar, double beat, bool withMelody) {
    for (int tone : chord.tones) {  // pad: two slightly detuned sines
        const double f = MidiFrequency(tone);
        AddVoice(mix, start, bar + 0.3, 0.5, [=](double t) {
            const double env = Envelope(t, 0.4, bar + 0.3, 0.5);
            return 0.045 * env * (std::sin(2 * kPi * f * 1.0015 * t) + std::sin(2 * kPi * f * 0.9985 * t));
        });
    }
    const int arpeggio[8] = {0, 1, 2, 1, 0, 1, 2, 1};
    for (int step = 0; step < 8; ++step) {  // plucked eighth notes an octave up
        const double f = MidiFrequency(chord.tones[arpeggio[step]] + 12);
        AddVoice(mix, start + step * beat / 2, 1.0, step % 2 == 0 ? 0.3 : 0.7, [=](double t) {
            const double env = std::exp(-t / 0.22) * std::min(1.0, t / 0.003);
            return 0.1 * env * (std::sin(2 * kPi * f * t) + 0.3 * std::sin(4 * kPi * f * t) + 0.1 * std::sin(6 * kPi * f * t));
        });
    }
    for (int half = 0; half < 2; ++half) {  // bass on beats one and three
        const double f = MidiFrequency(chord.bass);
        AddVoice(mix, start + half * 2 * beat, 2 * beat, 0.5, [=](double t) {
            const double env = std::exp(-t / 0.6) * std::min(1.0, t / 0.01) * Envelope(t, 0.001, 2 * beat, 0.05);
            return 0.25 * env * (std::sin(2 * kPi * f * t) + 0.25 * std::sin(4 * kPi * f * t));
        });
    }
    if (!withMelody) return;
    for (int q = 0; q < 4; ++q) {  // a bell: simple frequency modulation
        if (chord.melody[q] < 0) continue;
        const double f = MidiFrequency(chord.melody[q]);
        AddVoice(mix, start + q * beat, 2.0, 0.6, [=](double t) {
            const double env = std::exp(-t / 0.7) * std::min(1.0, t / 0.002);
            return 0.09 * env * std::sin(2 * kPi * f * t + 1.4 * std::exp(-t / 0.4) * std::sin(2 * kPi * 3.5 * f * t));
        });
    }
}

// Four-chord progression at 90 beats per minute with pad, arpeggio, bass and
// (from the fifth bar) a bell melody; a quiet echo of the left channel into
// the right widens the picture. Normalised to 0.85, faded in over 1.5 s and
// out over 3 s.
Mix DemoPiece() {
    Mix mix;
    const double beat = 60.0 / 90.0;
    const double bar = 4 * beat;
    int index = 0;
    for (double start = 0.0; start + bar <= kSeconds - 1.0; start += bar, ++index)
        AddChord(mix, kProgression[static_cast<size_t>(index) % std::size(kProgression)], start, bar, beat, index >= 4);
    const auto lag = static_cast<size_t>(beat / 2 * kRate);
    for (size_t n = mix.Frames(); n-- > lag;) mix.samples[2 * n + 1] += static_cast<float>(0.25 * mix.samples[2 * (n - lag)]);
    float largest = 0.0f;
    for (float s : mix.samples) largest = std::max(largest, std::fabs(s));
    for (float &s : mix.samples) s *= 0.85f / largest;
    const size_t frames = mix.Frames(), in = static_cast<size_t>(1.5 * kRate), out = static_cast<size_t>(3.0 * kRate);
    for (size_t n = 0; n < frames; ++n) {
        double gain = std::min(1.0, static_cast<double>(n) / static_cast<double>(in));
        if (n + out > frames) gain = std::min(gain, static_cast<double>(frames - n) / static_cast<double>(out));
        mix.samples[2 * n] *= static_cast<float>(gain);
        mix.samples[2 * n + 1] *= static_cast<float>(gain);
    }
    return mix;
}

void Put(std::ofstream &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i)));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_track OUT.wav\n");
        return 2;
    }
    const Mix mix = DemoPiece();
    const auto dataBytes = static_cast<uint32_t>(mix.samples.size() * 2);
    std::ofstream out(argv[1], std::ios::binary);
    out.write("RIFF", 4);
    Put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    for (uint32_t field : {16u, 1u | 2u << 16, uint32_t{kRate}, uint32_t{kRate} * 4, 4u | 16u << 16}) Put(out, field, 4);
    out.write("data", 4);
    Put(out, dataBytes, 4);
    for (float s : mix.samples) Put(out, static_cast<uint16_t>(std::clamp(std::lrint(s * 32768.0f), -32768L, 32767L)), 2);
    out.close();  // a failed final flush shows in the stream's state only after closing
    return out ? 0 : 1;
}
