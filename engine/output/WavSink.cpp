#include "engine/output/WavSink.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane::engine {

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr uint32_t kHeaderBytes = 44;

void PutLittleEndian(uint8_t *out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A fast render writes megabytes a second; with this buffer that is a few
// hundred writes instead of thousands.
constexpr size_t kWriteBufferBytes = 256 * 1024;

// The decoder's full scale is 32768, as in its own 16-bit output: a sample
// is scaled by it, rounded to nearest (ties to even) and saturated, so that
// an unchanged track comes out exactly as the decoder would write it.
int16_t ToPcm(float sample) {
    const long scaled = std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f);
    return static_cast<int16_t>(std::clamp<long>(scaled, -32768, 32767));
}

}  // namespace

WavFileWriter::WavFileWriter(const std::string &path, int sampleRate) : sampleRate_(sampleRate) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return;
    buffer_.resize(kWriteBufferBytes);
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
    WriteHeader();
}

WavFileWriter::~WavFileWriter() {
    if (file_ == nullptr) return;
    Flush();
    std::fclose(file_);
}

void WavFileWriter::Write(const float *stereo, size_t frames) {
    if (file_ == nullptr) return;
    pcm_.resize(kChannels * frames);
    size_t i = 0;
#if defined(__SSE2__)
    // Rounded to nearest as lrint does, saturated as the clamps do.
    const __m128 scale = _mm_set1_ps(32768.0f);
    const __m128 low = _mm_set1_ps(-1.0f), high = _mm_set1_ps(1.0f);
    for (; i + 8 <= pcm_.size(); i += 8) {
        const __m128 a = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(stereo + i), low), high);
        const __m128 b = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(stereo + i + 4), low), high);
        const __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(_mm_mul_ps(a, scale)), _mm_cvtps_epi32(_mm_mul_ps(b, scale)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(&pcm_[i]), packed);
    }
#endif
    for (; i < pcm_.size(); ++i) pcm_[i] = ToPcm(stereo[i]);
    // The samples go out little-endian, as the machine holds them.
    const size_t written = std::fwrite(pcm_.data(), sizeof(int16_t), pcm_.size(), file_);
    dataBytes_ += written * sizeof(int16_t);
    unflushed_ = true;
}

void WavFileWriter::Flush() {
    if (file_ == nullptr || !unflushed_) return;
    unflushed_ = false;
    WriteHeader();
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
}

void WavFileWriter::WriteHeader() {
    const uint32_t data = static_cast<uint32_t>(
        std::min<uint64_t>(dataBytes_, std::numeric_limits<uint32_t>::max() - kHeaderBytes));
    std::array<uint8_t, kHeaderBytes> header{};
    std::memcpy(&header[0], "RIFF", 4);
    PutLittleEndian(&header[4], data + kHeaderBytes - 8, 4);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    PutLittleEndian(&header[16], 16, 4);
    PutLittleEndian(&header[20], 1, 2);  // PCM
    PutLittleEndian(&header[22], kChannels, 2);
    PutLittleEndian(&header[24], static_cast<uint32_t>(sampleRate_), 4);
    PutLittleEndian(&header[28], static_cast<uint32_t>(sampleRate_ * kChannels * kBytesPerSample), 4);
    PutLittleEndian(&header[32], kChannels * kBytesPerSample, 2);
    PutLittleEndian(&header[34], 8 * kBytesPerSample, 2);
    std::memcpy(&header[36], "data", 4);
    PutLittleEndian(&header[40], data, 4);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(header.data(), 1, header.size(), file_);
}

}  // namespace corvane::engine
