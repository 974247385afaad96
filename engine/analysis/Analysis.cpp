#include "engine/analysis/Analysis.h"

#include <kissfft/kiss_fftr.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <new>
#include <numbers>
#include <numeric>

namespace corvane::engine {

namespace {

int16_t ToSample(float value) {
    return static_cast<int16_t>(std::lrint(std::clamp(value, -1.0f, 1.0f) * kVuMax));
}

}  // namespace

void Analyzer::Reset() {
    history_.fill(0.0f);
    historyNext_ = 0;
    peak_.fill(0.0f);
}

void Analyzer::Add(const float *stereo, size_t frames) {
    size_t frame = 0;
#if defined(__SSE2__)
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    __m128 peaks = _mm_setr_ps(peak_[0], peak_[1], peak_[0], peak_[1]);
    for (; frame + 2 <= frames; frame += 2) {
        peaks = _mm_max_ps(peaks, _mm_and_ps(_mm_loadu_ps(stereo + 2 * frame), magnitude));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, peaks);
    peak_ = {std::max(lanes[0], lanes[2]), std::max(lanes[1], lanes[3])};
#endif
    for (; frame < frames; ++frame) {
        peak_[0] = std::max(peak_[0], std::abs(stereo[2 * frame]));
        peak_[1] = std::max(peak_[1], std::abs(stereo[2 * frame + 1]));
    }
    Remember(stereo, frames);
}

// Keeps the latest kWaveSamples frames in the history ring.
void Analyzer::Remember(const float *stereo, size_t frames) {
    if (frames > kWaveSamples) {
        stereo += 2 * (frames - kWaveSamples);
        frames = kWaveSamples;
    }
    const size_t first = std::min(frames, kWaveSamples - historyNext_);
    std::memcpy(&history_[2 * historyNext_], stereo, 2 * first * sizeof(float));
    std::memcpy(&history_[0], stereo + 2 * first, 2 * (frames - first) * sizeof(float));
    historyNext_ = (historyNext_ + frames) % kWaveSamples;
}

void Analyzer::TakeSnapshot(AnalysisSnapshot &out) {
    out.vu[1] = ToSample(peak_[0]);
    out.vu[2] = ToSample(peak_[1]);
    out.vu[0] = std::max(out.vu[1], out.vu[2]);
    peak_.fill(0.0f);
    const size_t older = kWaveSamples - historyNext_;
    std::memcpy(&out.window[0], &history_[2 * historyNext_], 2 * older * sizeof(float));
    std::memcpy(&out.window[2 * older], &history_[0], 2 * historyNext_ * sizeof(float));
}

void FillWave(const AnalysisSnapshot &snapshot, int16_t *wave) {
    for (int k = 0; k < kWaveSamples; ++k) {
        const float left = snapshot.window[2 * k];
        const float right = snapshot.window[2 * k + 1];
        wave[kAnalysisChannels * k + 0] = ToSample((left + right) * 0.5f);
        wave[kAnalysisChannels * k + 1] = ToSample(left);
        wave[kAnalysisChannels * k + 2] = ToSample(right);
    }
}

SpectrumAnalyzer::SpectrumAnalyzer() {
    static_assert(kFftSize == kWaveSamples, "the spectrum is taken from the wave-form window");
    for (int i = 0; i < kFftSize; ++i) {
        window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFftSize));
    }
    windowGain_ = std::accumulate(window_.begin(), window_.end(), 0.0f);
    fft_ = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
    if (fft_ == nullptr) throw std::bad_alloc();
}

SpectrumAnalyzer::~SpectrumAnalyzer() { kiss_fftr_free(fft_); }

void SpectrumAnalyzer::Fill(const AnalysisSnapshot &snapshot, float *spectrum) {
    std::array<float, kFftSize> input{};
    std::array<kiss_fft_cpx, kFftSize / 2 + 1> bins{};
    const float scale = 2.0f / windowGain_;
    for (int channel = 0; channel < kAnalysisChannels; ++channel) {
        for (int k = 0; k < kFftSize; ++k) {
            const float left = snapshot.window[2 * k];
            const float right = snapshot.window[2 * k + 1];
            const float value = channel == 0 ? (left + right) * 0.5f : channel == 1 ? left : right;
            input[k] = value * window_[k];
        }
        kiss_fftr(fft_, input.data(), bins.data());
        for (int k = 0; k < kSpectrumBins; ++k) {
            spectrum[kAnalysisChannels * k + channel] = std::hypot(bins[k].r, bins[k].i) * scale;
        }
    }
}

}  // namespace corvane::engine
