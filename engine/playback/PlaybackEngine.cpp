#include "engine/playback/PlaybackEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/analysis/Analysis.h"
#include "engine/output/OutputChoice.h"
#include "engine/ProcessEnd.h"

namespace corvane::engine {

namespace {

constexpr int16_t kFileNotFound = 53;
constexpr int kMinIntervalMs = 10;
constexpr int kMaxIntervalMs = 1000;
constexpr double kLongestFadeSeconds = 60.0;
constexpr int kLowestBandHz = 1;
constexpr int kHighestBandHz = 22000;

double FadeSeconds(double seconds) {
    return std::isfinite(seconds) ? std::clamp(seconds, 0.0, kLongestFadeSeconds) : 0.0;
}

float FiniteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

template <class T, size_t N>
void CopyOut(T *destination, const std::array<T, N> &source) {
    if (destination != nullptr) std::memcpy(destination, source.data(), sizeof(T) * N);
}

}  // namespace

PlaybackEngine &PlaybackEngine::Instance() {
    static PlaybackEngine engine;
    return engine;
}

PlaybackEngine::~PlaybackEngine() {
    if (ProcessIsEnding()) {
        (void)session_.release();  // its threads are gone; nothing to stop or free
        return;
    }
    StopLocked();
}

void PlaybackEngine::SetNotifyTarget(CorvaneNotifyHandle target) { notifier_.SetTarget(target); }

int16_t PlaybackEngine::Start(const char *path, double fadeInSeconds) {
    std::lock_guard lock(mutex_);
    StopLocked();
    endReported_ = false;
    endedBeforeStop_ = false;
    stoppedPosition_ = 0.0;
    if (path == nullptr || *path == '\0') return kFileNotFound;
    PlaybackSession::Request request{path, FadeSeconds(fadeInSeconds), dsp_, OutputChoiceFromEnvironment()};
    return static_cast<int16_t>(PlaybackSession::Start(request, notifier_, intervalMilliseconds_, session_));
}

void PlaybackEngine::Pause() {
    std::lock_guard lock(mutex_);
    if (!session_ || session_->Ended() || session_->Paused()) return;
    session_->Pause();
    notifier_.Signal();
}

void PlaybackEngine::Continue() {
    std::lock_guard lock(mutex_);
    if (!session_ || !session_->Paused()) return;
    session_->Continue();
    notifier_.Signal();
}

void PlaybackEngine::Stop() {
    std::lock_guard lock(mutex_);
    StopLocked();
}

void PlaybackEngine::StopLocked() {
    if (!session_) return;
    session_->Stop();
    endedBeforeStop_ = session_->Ended();
    stoppedPosition_ = session_->PositionSeconds();
    session_->CopySnapshot(lastHeard_);
    lastMoments_ = session_->Moments();
    session_.reset();
    endReported_ = true;
}

void PlaybackEngine::FadeOut(double seconds) {
    std::lock_guard lock(mutex_);
    if (!session_ || session_->Ended()) return;
    session_->FadeOut(FadeSeconds(seconds));
}

void PlaybackEngine::Seek(double seconds) {
    std::lock_guard lock(mutex_);
    if (!session_ || session_->Ended()) return;
    session_->Seek(seconds);
    notifier_.Signal();
}

bool PlaybackEngine::IsFinished() {
    std::lock_guard lock(mutex_);
    if (!session_) return endedBeforeStop_;
    if (!session_->Ended()) return false;
    endReported_ = true;
    return true;
}

void PlaybackEngine::GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum) {
    std::lock_guard lock(mutex_);
    int16_t code = CORVANE_STATUS_STOPPED;
    double seconds = stoppedPosition_;
    if (session_) {
        seconds = session_->PositionSeconds();
        session_->CopySnapshot(lastHeard_);
        if (session_->Ended()) {
            code = endReported_ ? CORVANE_STATUS_STOPPED : CORVANE_STATUS_ENDED;
            endReported_ = true;
        } else {
            code = session_->Paused() ? CORVANE_STATUS_PAUSED : CORVANE_STATUS_PLAYING;
        }
    }
    if (status != nullptr) *status = code;
    if (position != nullptr) *position = seconds;
    CopyOut(vu, lastHeard_.vu);
    if (wave != nullptr) FillWave(lastHeard_, wave);
    if (spectrum != nullptr) spectrum_.Fill(lastHeard_, spectrum);
}

int16_t PlaybackEngine::SetInterval(int16_t milliseconds) {
    const int clamped = std::clamp<int>(milliseconds, kMinIntervalMs, kMaxIntervalMs);
    intervalMilliseconds_.store(clamped, std::memory_order_relaxed);
    return static_cast<int16_t>(clamped);
}

bool PlaybackEngine::GetVisInfo(CorvaneVisInfo *info) {
    if (info == nullptr || info->struct_size < static_cast<int32_t>(sizeof(int32_t))) return false;
    std::lock_guard lock(mutex_);
    CorvaneVisInfo full{};
    full.struct_size = info->struct_size;
    full.wave_samples = kWaveSamples;
    full.spectrum_bins = kSpectrumBins;
    full.sample_rate = session_ ? session_->SampleRate() : 0;
    full.spectrum_bin_hz = static_cast<float>(full.sample_rate) / kFftSize;
    full.vu_max = kVuMax;
    full.spectrum_full_scale = kSpectrumFullScale;
    full.interval_ms = static_cast<int16_t>(intervalMilliseconds_.load(std::memory_order_relaxed));
    const size_t size = std::min<size_t>(static_cast<size_t>(info->struct_size), sizeof(CorvaneVisInfo));
    std::memcpy(info, &full, size);
    return true;
}

void PlaybackEngine::SetBands(const int16_t *frequencies, int count) {
    std::lock_guard lock(mutex_);
    const int used = frequencies != nullptr ? std::clamp(count, 0, kMaxBands) : 0;
    for (int band = 0; band < used; ++band) {
        dsp_.bandHz[band] = static_cast<float>(std::clamp<int>(frequencies[band], kLowestBandHz, kHighestBandHz));
    }
    dsp_.bandCount = used;
    ApplyDspLocked();
}

void PlaybackEngine::SetBandGains(const float *gains32) {
    std::lock_guard lock(mutex_);
    for (int band = 0; band < kMaxBands; ++band) {
        dsp_.bandGainDb[band] = std::clamp(FiniteOrZero(gains32[band]), -kMaxBandGainDb, kMaxBandGainDb);
    }
    ApplyDspLocked();
}

void PlaybackEngine::SetChannelGains(const float *left, const float *right) {
    std::lock_guard lock(mutex_);
    if (left != nullptr) dsp_.leftGainDb = std::clamp(FiniteOrZero(*left), -kMaxChannelGainDb, kMaxChannelGainDb);
    if (right != nullptr) dsp_.rightGainDb = std::clamp(FiniteOrZero(*right), -kMaxChannelGainDb, kMaxChannelGainDb);
    ApplyDspLocked();
}

void PlaybackEngine::SetEqualizerOn(bool on) {
    std::lock_guard lock(mutex_);
    dsp_.equalizerOn = on;
    ApplyDspLocked();
}

void PlaybackEngine::ApplyDspLocked() {
    if (session_) session_->ApplyDsp(dsp_);
}

PlaybackMoments PlaybackEngine::Moments() {
    std::lock_guard lock(mutex_);
    return session_ ? session_->Moments() : lastMoments_;
}

}  // namespace corvane::engine
