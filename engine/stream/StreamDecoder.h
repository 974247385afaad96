#pragma once
// The one MPEG audio decoder of the engine (libmpg123), used by playback and
// by offline decoding alike, so that what tests decode offline is exactly what
// the player hears.
//
// engine/stream reads MPEG audio streams: frame headers, the frame scan, frame
// information, the length cache and this decoder. It includes only the
// engine's platform files.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/PlatformFile.h"

struct mpg123_handle_struct;

namespace corvane::engine {

// Output is always interleaved 32-bit float, two channels (a mono stream is
// duplicated into both), at the stream's own sample rate.
constexpr int kOutputChannels = 2;

struct StreamFormat {
    int sampleRate = 0;
    int sourceChannels = 0;  // 1 or 2: the channels of the file itself
};

class StreamDecoder {
public:
    StreamDecoder();
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    // Opens a file; returns 0, 53 (no such file), 75 (no access) or 30075
    // (not an MPEG audio stream). Gapless decoding: encoder delay and padding
    // are removed when the stream declares them.
    int Open(const std::string &path);
    void Close();
    bool IsOpen() const;

    StreamFormat Format() const;
    // Exact length in sample frames (per channel), or -1 when unknown.
    int64_t TotalFrames() const;
    // The next frame Read will return.
    int64_t Position() const;

    // Decodes up to maxFrames frames into out (2 * maxFrames floats); returns
    // the frames written, 0 at the end of the stream.
    size_t Read(float *out, size_t maxFrames);
    // Sample-accurate seek; clamps to the stream. Returns false on failure.
    bool Seek(int64_t frame);

private:
    mpg123_handle_struct *handle_ = nullptr;
    StreamFormat format_;
    int64_t position_ = 0;
    int64_t knownLength_ = -1;  // from the frame scan; -1: ask the decoder
    std::unique_ptr<PlatformFile> file_;  // opened here so that failures map to error numbers
};

// Decodes a whole file offline through StreamDecoder. Returns 0 or the error
// number of Open; samples receives interleaved stereo float.
int DecodeFile(const std::string &path, std::vector<float> &samples, StreamFormat &format);

}  // namespace corvane::engine
