#pragma once
// The component's view of the decoder library: its eighteen entry points,
// typed as the library exports them. By-reference arguments are pointers to
// the caller's own variables and arrays, which the library may write.
//
// decoder/ is the bottom of the house: the library's C interface and the
// binding to it include nothing else of the project.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "decoder/CorvaneMP3.h"

namespace corvane::decoder {

class DecoderLibrary {
public:
    virtual ~DecoderLibrary() = default;

    virtual int32_t PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) = 0;
    virtual int16_t Play(const char *path) = 0;
    virtual int16_t FadeIn(const char *path, float attackSeconds) = 0;
    virtual int32_t PausePlaying() = 0;
    virtual int32_t ContinuePlaying() = 0;
    virtual int32_t StopPlaying() = 0;
    virtual int32_t FadeOut(float decaySeconds) = 0;
    virtual int32_t SeekPlaying(double seconds) = 0;
    virtual int16_t IsFinished() = 0;
    virtual int32_t GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum) = 0;
    virtual int32_t SetVuInterval(int16_t *milliseconds) = 0;
    virtual int16_t GetId3Tag(const char *path, char *tag129) = 0;
    virtual int16_t SetId3Tag(const char *path, const char *tag) = 0;
    virtual int16_t GetFrameInfo(const char *path, char *info201) = 0;
    virtual int32_t CreateEq(int16_t *frequencies, int16_t count) = 0;
    virtual int32_t SetEq(float *gains32) = 0;
    virtual int32_t SetGain(float *left, float *right) = 0;
    virtual int32_t EqState(int32_t on) = 0;
    virtual int32_t GetVisInfo(CorvaneVisInfo *info) = 0;
};

using DecoderLibraryRef = std::shared_ptr<DecoderLibrary>;

// The library or one of its entry points could not be loaded.
class DecoderLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The decoder library that components use when none is given: loaded once by
// name (libCorvaneMP3.so, CorvaneMP3.dll) from the folder of the component
// library, else from the loader's search path, or from the file named by the
// environment variable CORVANEMP3_LIBRARY when it is set. Throws
// DecoderLoadError when it cannot be loaded.
DecoderLibraryRef DefaultDecoderLibrary();

// Makes `library` the default for components created from now on (tests and
// hosts that embed their own decoder); null restores loading by name.
void SetDefaultDecoderLibrary(DecoderLibraryRef library);

}  // namespace corvane::decoder
