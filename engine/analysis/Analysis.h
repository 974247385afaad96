#pragma once
// The analysis of what is heard: peak levels, the latest 256 samples and a
// 128-value spectrum per channel (channel 0 both channels mixed, 1 left,
// 2 right), laid out as get_status hands them out, channel varying fastest.
//
// Scales: a VU value and a wave-form sample are the signal times 32767 (a
// full-scale peak gives 32767; channel 0's VU is the louder of the two
// channels, its wave form the mean of both). A spectrum value is the
// amplitude of the sine in that bin, from a 256-point FFT of the latest 256
// samples under a Hann window, so a full-scale sine centred on a bin gives
// 1.0; bin k covers k * rate / 256 Hz, bins 0 to 127.
//
// engine/analysis holds the analysis and the worker that runs it; it includes
// engine/output and engine/threads.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/CorvaneMP3.h"

struct kiss_fftr_state;

namespace corvane::engine {

constexpr int kAnalysisChannels = CORVANE_CHANNELS;
constexpr int kWaveSamples = CORVANE_WAVE_SAMPLES;
constexpr int kSpectrumBins = CORVANE_SPECTRUM_BINS;
constexpr int kFftSize = 2 * kSpectrumBins;
constexpr int16_t kVuMax = 32767;
constexpr float kSpectrumFullScale = 1.0f;

// What one analysis interval leaves behind: its peaks and its latest frames.
// The wave form and the spectrum are made from `window` only when someone
// asks for them, so that intervals nobody looks at cost next to nothing.
struct AnalysisSnapshot {
    std::array<int16_t, kAnalysisChannels> vu{};
    std::array<float, 2 * kWaveSamples> window{};  // stereo, oldest first
};

// The 3 x 256 wave form of a snapshot, channel varying fastest.
void FillWave(const AnalysisSnapshot &snapshot, int16_t *wave);

class Analyzer {
public:
    // Takes in heard frames (interleaved stereo) in the order they were heard.
    void Add(const float *stereo, size_t frames);
    // Describes the interval since the previous snapshot: its peaks, and the
    // latest 256 frames. Starts a new interval.
    void TakeSnapshot(AnalysisSnapshot &out);
    // Forgets everything heard (a new track).
    void Reset();

private:
    void Remember(const float *stereo, size_t frames);

    std::array<float, 2 * kWaveSamples> history_{};  // ring of the latest frames
    size_t historyNext_ = 0;
    std::array<float, 2> peak_{};
};

// The 3 x 128 spectrum of a snapshot's window, channel varying fastest.
class SpectrumAnalyzer {
public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer &) = delete;
    SpectrumAnalyzer &operator=(const SpectrumAnalyzer &) = delete;

    void Fill(const AnalysisSnapshot &snapshot, float *spectrum);

private:
    std::array<float, kFftSize> window_{};
    float windowGain_ = 1.0f;
    kiss_fftr_state *fft_ = nullptr;
};

}  // namespace corvane::engine
