#include "engine/api/PlaybackEntryPoints.h"

#include "engine/playback/PlaybackEngine.h"

namespace corvane::engine {

namespace {

constexpr int32_t kDone = 0;
constexpr int32_t kBadArgument = -1;

PlaybackEngine &Engine() { return PlaybackEngine::Instance(); }

}  // namespace

int32_t PlayMp3(int32_t, CorvaneNotifyHandle handle) {
    Engine().SetNotifyTarget(handle);
    return kDone;
}

int16_t Play(const char *path) { return Engine().Start(path, 0.0); }

int16_t FadeIn(const char *path, float attackSeconds) { return Engine().Start(path, attackSeconds); }

int32_t PausePlaying() {
    Engine().Pause();
    return kDone;
}

int32_t ContinuePlaying() {
    Engine().Continue();
    return kDone;
}

int32_t StopPlaying() {
    Engine().Stop();
    return kDone;
}

int32_t FadeOut(float decaySeconds) {
    Engine().FadeOut(decaySeconds);
    return kDone;
}

int32_t SeekPlaying(double seconds) {
    Engine().Seek(seconds);
    return kDone;
}

int16_t IsFinished() { return Engine().IsFinished() ? 1 : 0; }

int32_t GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum) {
    Engine().GetStatus(status, position, vu, wave, spectrum);
    return kDone;
}

int32_t SetVuInterval(int16_t *milliseconds) {
    if (milliseconds == nullptr) return kBadArgument;
    *milliseconds = Engine().SetInterval(*milliseconds);
    return kDone;
}

int32_t GetVisInfo(CorvaneVisInfo *info) { return Engine().GetVisInfo(info) ? kDone : kBadArgument; }

int32_t CreateEq(int16_t *frequencies, int16_t count) {
    if (frequencies == nullptr && count > 0) return kBadArgument;
    Engine().SetBands(frequencies, count);
    return kDone;
}

int32_t SetEq(float *gains32) {
    if (gains32 == nullptr) return kBadArgument;
    Engine().SetBandGains(gains32);
    return kDone;
}

int32_t SetGain(float *left, float *right) {
    Engine().SetChannelGains(left, right);
    return kDone;
}

int32_t EqState(int32_t on) {
    Engine().SetEqualizerOn(on != 0);
    return kDone;
}

}  // namespace corvane::engine
