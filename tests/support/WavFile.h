#pragma once
// Reading and writing 16-bit PCM WAV files in tests. Samples are floats,
// interleaved, on the scale the engine's WAV output uses (32767 = 1.0).
#include <cstddef>
#include <cstdint>
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

// False when the file is missing or not a 16-bit PCM WAV file; a data chunk
// that claims more than the file holds is cut to what is there.
bool ReadWav(const std::string &path, WavAudio &audio);
void WriteWav(const std::string &path, const WavAudio &audio);

// A float sample as the WAV output stores it, and back.
int16_t ToPcm16(float sample);
float FromPcm16(int16_t sample);

}  // namespace corvane::testing
