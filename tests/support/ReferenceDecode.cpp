#include "support/ReferenceDecode.h"

#include <mpg123.h>

namespace corvane::testing {

std::vector<int16_t> ReferenceSixteenBit(const std::string &path) {
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    std::vector<int16_t> samples;
    if (handle == nullptr) return samples;
    mpg123_format_none(handle);
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
        mpg123_format(handle, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
        std::vector<unsigned char> buffer(1 << 16);
        size_t done = 0;
        int status;
        while ((status = mpg123_read(handle, buffer.data(), buffer.size(), &done)) == MPG123_OK ||
               status == MPG123_NEW_FORMAT || done > 0) {
            const auto *pcm = reinterpret_cast<const int16_t *>(buffer.data());
            samples.insert(samples.end(), pcm, pcm + done / 2);
            if (status == MPG123_DONE) break;
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return samples;
}

}  // namespace corvane::testing
