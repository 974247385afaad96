#pragma once
// The playback, analysis and equalizer entry points of the decoder library.
// The exported C functions forward here; one playback engine per process.
#include <cstdint>

#include "decoder/CorvaneMP3.h"

namespace corvane::engine {

int32_t PlayMp3(int32_t reserved, CorvaneNotifyHandle handle);
int16_t Play(const char *path);
int16_t FadeIn(const char *path, float attackSeconds);
int32_t PausePlaying();
int32_t ContinuePlaying();
int32_t StopPlaying();
int32_t FadeOut(float decaySeconds);
int32_t SeekPlaying(double seconds);
int16_t IsFinished();
int32_t GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum);
int32_t SetVuInterval(int16_t *milliseconds);
int32_t GetVisInfo(CorvaneVisInfo *info);
int32_t CreateEq(int16_t *frequencies, int16_t count);
int32_t SetEq(float *gains32);
int32_t SetGain(float *left, float *right);
int32_t EqState(int32_t on);

}  // namespace corvane::engine
