#pragma once
// Writes what would be heard to a 16-bit PCM stereo WAV file. The header is
// brought up to date on every Flush, so the file is a complete WAV file
// whenever the sink is paused, stopped or at the end of the track.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/output/PacedSink.h"

namespace corvane::engine {

class WavFileWriter final : public FrameWriter {
public:
    // Check IsOpen afterwards.
    WavFileWriter(const std::string &path, int sampleRate);
    ~WavFileWriter() override;
    WavFileWriter(const WavFileWriter &) = delete;
    WavFileWriter &operator=(const WavFileWriter &) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    void Write(const float *stereo, size_t frames) override;
    void Flush() override;

private:
    void WriteHeader();

    std::vector<char> buffer_;  // the stream's own; the stream is closed before it goes
    std::FILE *file_ = nullptr;
    int sampleRate_;
    uint64_t dataBytes_ = 0;
    bool unflushed_ = true;
    std::vector<int16_t> pcm_;
};

}  // namespace corvane::engine
