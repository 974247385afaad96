// The exported C entry points of libCorvaneMP3. Each forwards to the engine
// and never lets a C++ exception cross into the caller.
#include "decoder/CorvaneMP3.h"
#include "engine/api/FileEntryPoints.h"
#include "engine/api/PlaybackEntryPoints.h"

namespace {

template <class Result, class Call>
Result Guarded(Result onFailure, Call &&call) noexcept {
    try {
        return call();
    } catch (...) {
        return onFailure;
    }
}

constexpr int16_t kIoError = 57;
constexpr int16_t kOutOfMemory = 30099;

}  // namespace

using namespace corvane::engine;

extern "C" {

CORVANE_API int32_t CORVANE_CALL play_mp3(int32_t reserved, CorvaneNotifyHandle handle) {
    return Guarded<int32_t>(-1, [&] { return PlayMp3(reserved, handle); });
}
CORVANE_API int16_t CORVANE_CALL play(const char *path) {
    return Guarded<int16_t>(kOutOfMemory, [&] { return Play(path); });
}
CORVANE_API int16_t CORVANE_CALL fade_in(const char *path, float attack_seconds) {
    return Guarded<int16_t>(kOutOfMemory, [&] { return FadeIn(path, attack_seconds); });
}
CORVANE_API int32_t CORVANE_CALL pause_playing(void) {
    return Guarded<int32_t>(-1, [] { return PausePlaying(); });
}
CORVANE_API int32_t CORVANE_CALL continue_playing(void) {
    return Guarded<int32_t>(-1, [] { return ContinuePlaying(); });
}
CORVANE_API int32_t CORVANE_CALL stop_playing(void) {
    return Guarded<int32_t>(-1, [] { return StopPlaying(); });
}
CORVANE_API int32_t CORVANE_CALL fade_out(float decay_seconds) {
    return Guarded<int32_t>(-1, [&] { return FadeOut(decay_seconds); });
}
CORVANE_API int32_t CORVANE_CALL seek_playing(double seconds) {
    return Guarded<int32_t>(-1, [&] { return SeekPlaying(seconds); });
}
CORVANE_API int16_t CORVANE_CALL is_finished(void) {
    return Guarded<int16_t>(0, [] { return IsFinished(); });
}
CORVANE_API int32_t CORVANE_CALL get_status(int16_t *status, double *position, int16_t vu[3],
                                            int16_t wave[3 * 256], float spectrum[3 * 128]) {
    return Guarded<int32_t>(-1, [&] { return GetStatus(status, position, vu, wave, spectrum); });
}
CORVANE_API int32_t CORVANE_CALL set_vu_interval(int16_t *milliseconds) {
    return Guarded<int32_t>(-1, [&] { return SetVuInterval(milliseconds); });
}
CORVANE_API int32_t CORVANE_CALL get_vis_info(CorvaneVisInfo *info) {
    return Guarded<int32_t>(-1, [&] { return GetVisInfo(info); });
}
CORVANE_API int16_t CORVANE_CALL get_id3_tag(const char *path, char tag[129]) {
    return Guarded<int16_t>(kIoError, [&] { return GetId3Tag(path, tag); });
}
CORVANE_API int16_t CORVANE_CALL set_id3_tag(const char *path, const char *tag) {
    return Guarded<int16_t>(kIoError, [&] { return SetId3Tag(path, tag); });
}
CORVANE_API int16_t CORVANE_CALL get_frame_info(const char *path, char info[201]) {
    return Guarded<int16_t>(0, [&] { return GetFrameInfo(path, info); });
}
CORVANE_API int32_t CORVANE_CALL create_eq(int16_t *frequencies, int16_t count) {
    return Guarded<int32_t>(-1, [&] { return CreateEq(frequencies, count); });
}
CORVANE_API int32_t CORVANE_CALL set_eq(float *gains32) {
    return Guarded<int32_t>(-1, [&] { return SetEq(gains32); });
}
CORVANE_API int32_t CORVANE_CALL set_gain(float *left, float *right) {
    return Guarded<int32_t>(-1, [&] { return SetGain(left, right); });
}
CORVANE_API int32_t CORVANE_CALL eq_state(int32_t on) {
    return Guarded<int32_t>(-1, [&] { return EqState(on); });
}

}  // extern "C"
