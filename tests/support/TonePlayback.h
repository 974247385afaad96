#pragma once
// Driving the engine's playback entry points in tests (test_engine only: it
// links the engine itself). Waits poll for a condition with a generous
// timeout; nothing here measures time.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "engine/api/PlaybackEntryPoints.h"
#include "support/Paths.h"
#include "support/ToneFiles.h"
#include "support/WavFile.h"

namespace corvane::testing {

// Chooses the engine's output for the life of the object.
class ScopedOutput : public ScopedVariable {
public:
    explicit ScopedOutput(const std::string &value) : ScopedVariable("CORVANEMP3_OUTPUT", value) {}
};

template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline bool WaitForFinish() {
    return WaitFor([] { return engine::IsFinished() == 1; });
}

struct StatusReading {
    int16_t status = -1;
    double position = -1.0;
    std::array<int16_t, 3> vu{};
    std::array<int16_t, 3 * 256> wave{};
    std::array<float, 3 * 128> spectrum{};

    int16_t Wave(int channel, int k) const { return wave[channel + 3 * k]; }
    float Spectrum(int channel, int k) const { return spectrum[channel + 3 * k]; }
};

inline StatusReading ReadStatus() {
    StatusReading r;
    engine::GetStatus(&r.status, &r.position, r.vu.data(), r.wave.data(), r.spectrum.data());
    return r;
}

inline double PositionNow() { return ReadStatus().position; }

// A notification handle that counts the library's signals; Count() has
// every signal sent so far counted.
#ifdef _WIN32
// A message-only window of the test thread: the library posts its signals
// there, and Count() takes them off the thread's queue.
class CountingTarget {
public:
    CountingTarget() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~CountingTarget() { DestroyWindow(window_); }
    CorvaneNotifyHandle Handle() { return window_; }
    int Count() {
        static const UINT notify = RegisterWindowMessageA(CORVANE_NOTIFY_MESSAGE);
        MSG message;
        while (PeekMessageW(&message, window_, notify, notify, PM_REMOVE)) ++signals_;
        return signals_;
    }

private:
    HWND window_;
    int signals_ = 0;
};
#else
class CountingTarget : CorvaneNotifyTarget {
public:
    CountingTarget() : CorvaneNotifyTarget{&Signal} {}
    CorvaneNotifyHandle Handle() { return this; }
    int Count() const { return signals_.load(); }

private:
    static void Signal(CorvaneNotifyTarget *self) { ++static_cast<CountingTarget *>(self)->signals_; }
    std::atomic<int> signals_{0};
};
#endif

// Equalizer off, no bands, flat gains: the state a test starts from.
inline void ResetEqualizerAndGains() {
    std::array<float, 32> flat{};
    float zero = 0.0f;
    engine::CreateEq(nullptr, 0);
    engine::SetEq(flat.data());
    engine::SetGain(&zero, &zero);
    engine::EqState(0);
}

// Plays mp3 (fading in over fadeIn seconds when above 0) into a wav-fast
// output until the end is reported; returns what was written. Returns an
// empty WavAudio when the start fails or the end never comes.
inline WavAudio RenderToWav(const std::string &mp3, const std::string &name, float fadeIn = 0.0f) {
    const std::string path = ScratchFile(name);
    ScopedOutput output("wav-fast:" + path);
    const int16_t started = fadeIn > 0.0f ? engine::FadeIn(mp3.c_str(), fadeIn) : engine::Play(mp3.c_str());
    const bool finished = started == 0 && WaitForFinish();
    engine::StopPlaying();
    WavAudio audio;
    if (finished) ReadWav(path, audio);
    return audio;
}

}  // namespace corvane::testing
