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

void PutLittleEndian(std::vector<unsigned char> &out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutText(std::vector<unsigned char> &out, const char *text) { out.insert(out.end(), text, text + 4); }

}  // namespace

int16_t ToPcm16(float sample) {
    return static_cast<int16_t>(std::clamp<long>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f), -32768, 32767));
}

float FromPcm16(int16_t sample) { return static_cast<float>(sample) / 32768.0f; }

bool ReadWav(const std::string &path, WavAudio &audio) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    bool haveFormat = false;
    size_t offset = 12;
    while (offset + 8 <= bytes.size()) {
        const unsigned char *chunk = bytes.data() + offset;
        const size_t size = LittleEndian(chunk + 4, 4);
        const size_t body = offset + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            const unsigned char *format = bytes.data() + body;
            if (LittleEndian(format, 2) != 1 || LittleEndian(format + 14, 2) != 16) return false;
            audio.channels = static_cast<int>(LittleEndian(format + 2, 2));
            audio.sampleRate = static_cast<int>(LittleEndian(format + 4, 4));
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            const size_t available = std::min(size, bytes.size() - body);
            const size_t count = available / 2;
            audio.samples.resize(count);
            for (size_t i = 0; i < count; ++i) {
                audio.samples[i] = FromPcm16(static_cast<int16_t>(LittleEndian(bytes.data() + body + 2 * i, 2)));
            }
            return audio.channels > 0;
        }
        offset = body + size + (size & 1);
    }
    return false;
}

void WriteWav(const std::string &path, const WavAudio &audio) {
    const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
    std::vector<unsigned char> out;
    PutText(out, "RIFF");
    PutLittleEndian(out, 36 + dataBytes, 4);
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, static_cast<uint32_t>(audio.channels), 2);
    PutLittleEndian(out, static_cast<uint32_t>(audio.sampleRate), 4);
    PutLittleEndian(out, static_cast<uint32_t>(audio.sampleRate * audio.channels * 2), 4);
    PutLittleEndian(out, static_cast<uint32_t>(audio.channels * 2), 2);
    PutLittleEndian(out, 16, 2);
    PutText(out, "data");
    PutLittleEndian(out, dataBytes, 4);
    for (float sample : audio.samples) PutLittleEndian(out, static_cast<uint16_t>(ToPcm16(sample)), 2);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace corvane::testing
