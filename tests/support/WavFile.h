#pragma once
// Test audio: synthesised tones and sweeps, and 16-bit PCM WAV files. Samples
// are floats, interleaved, on the scale the engine's WAV output uses
// (32767 = 1.0).
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace corvane::testing {

struct WavAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved

    size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
    float At(size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

// Reads the plain 44-byte-header 16-bit PCM WAV files that the engine's WAV
// output and WriteWav write; false for anything else or a missing file. A
// data chunk that claims more than the file holds is cut to what is there.
bool ReadWav(const std::string &path, WavAudio &audio);
void WriteWav(const std::string &path, const WavAudio &audio);

// A float sample as the WAV output stores it.
int16_t ToPcm16(float sample);

struct Partial {
    double hz = 1000.0;
    double left = 0.5;   // peak amplitude, 1.0 = full scale
    double right = 0.5;
};

// Interleaved stereo sum of sines (mono when channels is 1, from `left`).
WavAudio SynthesizeTones(const std::vector<Partial> &partials, double seconds, int sampleRate = 44100,
                         int channels = 2);
// A sine sweeping exponentially from fromHz to toHz: every moment sounds
// different, so a misplaced stretch shows. In stereo the right channel is
// the left one shifted by rightPhase (by default, the left one inverted).
WavAudio SynthesizeSweep(double fromHz, double toHz, double amplitude, double seconds, int sampleRate = 44100,
                         int channels = 2, double rightPhase = std::numbers::pi);
// Appends b to a (same format).
WavAudio Concatenate(const WavAudio &a, const WavAudio &b);

}  // namespace corvane::testing
