// Arbitrary bytes as an audio file through the decode-and-seek path: the
// first bytes choose seek targets, the rest is the file. The offline decoder
// reads and seeks through it, never past its length; the engine plays it into
// a WAV output that writes as fast as it goes (to /dev/null), seeks while it
// plays, and stops.
#include "engine/api/PlaybackEntryPoints.h"
#include "engine/stream/StreamDecoder.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string &ScratchPath() {
    static const struct File {
        std::string path = "/tmp/corvane-fuzz-decode-" + std::to_string(::getpid()) + ".mp3";
        ~File() { ::unlink(path.c_str()); }
    } file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setenv("CORVANEMP3_OUTPUT", "wav-fast:/dev/null", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corvane::engine;
    if (size < 4) return 0;
    std::ofstream(ScratchPath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data + 4), static_cast<std::streamsize>(size - 4));

    StreamDecoder decoder;
    if (decoder.Open(ScratchPath()) == 0) {
        const int64_t total = decoder.TotalFrames();
        std::vector<float> buffer(2 * 1152);
        for (int i = 0; i < 4; ++i) {
            const int64_t target = total > 0 ? static_cast<int64_t>(data[i]) * total / 255 : data[i];
            if (!decoder.Seek(target)) continue;
            decoder.Read(buffer.data(), 1152);
            if (total >= 0 && decoder.Position() > total) std::abort();
        }
    }

    if (Play(ScratchPath().c_str()) == 0) {
        SeekPlaying(data[0] / 100.0);
        SeekPlaying(-data[1] / 10.0);
        StopPlaying();
    }
    return 0;
}
