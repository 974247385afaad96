#include "support/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corvane::testing {

namespace {

uint32_t LittleEndian(const unsigned char *bytes, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void Put(std::ofstream &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i)));
}

WavAudio Silence(double seconds, int sampleRate, int channels) {
    return {sampleRate, channels, std::vector<float>(static_cast<size_t>(std::llround(seconds * sampleRate)) * channels)};
}

}  // namespace

int16_t ToPcm16(float sample) {
    return static_cast<int16_t>(std::clamp<long>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f), -32768, 32767));
}

bool ReadWav(const std::string &path, WavAudio &audio) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const unsigned char *b = bytes.data();
    if (bytes.size() < 44 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVEfmt ", 8) != 0 ||
        LittleEndian(b + 16, 4) != 16 || LittleEndian(b + 20, 2) != 1 || LittleEndian(b + 34, 2) != 16 ||
        std::memcmp(b + 36, "data", 4) != 0) {
        return false;
    }
    audio.channels = static_cast<int>(LittleEndian(b + 22, 2));
    audio.sampleRate = static_cast<int>(LittleEndian(b + 24, 4));
    audio.samples.resize(std::min<size_t>(LittleEndian(b + 40, 4), bytes.size() - 44) / 2);
    for (size_t i = 0; i < audio.samples.size(); ++i)
        audio.samples[i] = static_cast<int16_t>(LittleEndian(b + 44 + 2 * i, 2)) / 32768.0f;
    return audio.channels > 0;
}

void WriteWav(const std::string &path, const WavAudio &audio) {
    const auto dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
    const auto blockAlign = static_cast<uint32_t>(audio.channels * 2);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    for (uint32_t field : {16u, 1u | static_cast<uint32_t>(audio.channels) << 16, static_cast<uint32_t>(audio.sampleRate),
                           static_cast<uint32_t>(audio.sampleRate) * blockAlign, blockAlign | 16u << 16})
        Put(out, field, 4);
    out.write("data", 4);
    Put(out, dataBytes, 4);
    for (float sample : audio.samples) Put(out, static_cast<uint16_t>(ToPcm16(sample)), 2);
    if (!out) throw std::runtime_error("cannot write " + path);
}

WavAudio SynthesizeTones(const std::vector<Partial> &partials, double seconds, int sampleRate, int channels) {
    WavAudio audio = Silence(seconds, sampleRate, channels);
    for (size_t frame = 0; frame < audio.Frames(); ++frame) {
        const double t = static_cast<double>(frame) / sampleRate;
        double left = 0.0, right = 0.0;
        for (const Partial &partial : partials) {
            const double value = std::sin(2.0 * std::numbers::pi * partial.hz * t);
            left += partial.left * value;
            right += partial.right * value;
        }
        audio.samples[frame * channels] = static_cast<float>(left);
        if (channels == 2) audio.samples[frame * channels + 1] = static_cast<float>(right);
    }
    return audio;
}

WavAudio SynthesizeSweep(double fromHz, double toHz, double amplitude, double seconds, int sampleRate, int channels,
                         double rightPhase) {
    WavAudio audio = Silence(seconds, sampleRate, channels);
    const double growth = std::log(toHz / fromHz) / seconds;
    for (size_t frame = 0; frame < audio.Frames(); ++frame) {
        const double t = static_cast<double>(frame) / sampleRate;
        const double phase = 2.0 * std::numbers::pi * fromHz * (std::exp(growth * t) - 1.0) / growth;
        audio.samples[frame * channels] = static_cast<float>(amplitude * std::sin(phase));
        if (channels == 2) audio.samples[frame * channels + 1] = static_cast<float>(amplitude * std::sin(phase + rightPhase));
    }
    return audio;
}

WavAudio Concatenate(const WavAudio &a, const WavAudio &b) {
    WavAudio joined = a;
    joined.samples.insert(joined.samples.end(), b.samples.begin(), b.samples.end());
    return joined;
}

}  // namespace corvane::testing
