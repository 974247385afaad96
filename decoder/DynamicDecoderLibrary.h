#pragma once
// The decoder library loaded at run time by name (dlopen / LoadLibrary), each
// entry point resolved by its exported name.
#include <string>

#include "decoder/DecoderLibrary.h"

namespace corvane::decoder {

class DynamicDecoderLibrary : public DecoderLibrary {
public:
    // Loads the library from `path` (a file name alone uses the loader's
    // search path). Throws DecoderLoadError naming the library or the first
    // missing entry point.
    explicit DynamicDecoderLibrary(const std::string &path);
    ~DynamicDecoderLibrary() override;

    const std::string &Path() const { return path_; }

    int32_t PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) override;
    int16_t Play(const char *path) override;
    int16_t FadeIn(const char *path, float attackSeconds) override;
    int32_t PausePlaying() override;
    int32_t ContinuePlaying() override;
    int32_t StopPlaying() override;
    int32_t FadeOut(float decaySeconds) override;
    int32_t SeekPlaying(double seconds) override;
    int16_t IsFinished() override;
    int32_t GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum) override;
    int32_t SetVuInterval(int16_t *milliseconds) override;
    int16_t GetId3Tag(const char *path, char *tag129) override;
    int16_t SetId3Tag(const char *path, const char *tag) override;
    int16_t GetFrameInfo(const char *path, char *info201) override;
    int32_t CreateEq(int16_t *frequencies, int16_t count) override;
    int32_t SetEq(float *gains32) override;
    int32_t SetGain(float *left, float *right) override;
    int32_t EqState(int32_t on) override;
    int32_t GetVisInfo(CorvaneVisInfo *info) override;

private:
    struct EntryPoints;
    std::string path_;
    void *module_ = nullptr;
    EntryPoints *entries_ = nullptr;
};

}  // namespace corvane::decoder
