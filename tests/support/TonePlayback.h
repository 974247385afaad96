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

#include "engine/PlaybackEntryPoints.h"
#include "support/ToneFiles.h"
#include "support/WavFile.h"

namespace corvane::testing {

// Chooses the engine's output for the life of the object.
class ScopedOutput {
public:
    explicit ScopedOutput(const std::string &value) {
        if (const char *old = std::getenv("CORVANEMP3_OUTPUT")) previous_ = old;
        setenv("CORVANEMP3_OUTPUT", value.c_str(), 1);
    }
    ~ScopedOutput() {
        if (previous_) {
            setenv("CORVANEMP3_OUTPUT", previous_->c_str(), 1);
        } else {
            unsetenv("CORVANEMP3_OUTPUT");
        }
    }
    ScopedOutput(const ScopedOutput &) = delete;
    ScopedOutput &operator=(const ScopedOutput &) = delete;

private:
    std::optional<std::string> previous_;
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
    StatusReading reading;
    engine::GetStatus(&reading.status, &reading.position, reading.vu.data(), reading.wave.data(),
                      reading.spectrum.data());
    return reading;
}

inline double PositionNow() { return ReadStatus().position; }

// A notification target that counts the library's signals.
struct CountingTarget : CorvaneNotifyTarget {
    std::atomic<int> signals{0};
    CountingTarget() : CorvaneNotifyTarget{&Count} {}
    static void Count(CorvaneNotifyTarget *self) {
        static_cast<CountingTarget *>(self)->signals.fetch_add(1, std::memory_order_relaxed);
    }
};

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
    WavAudio audio;
    if (started != 0 || !WaitForFinish()) {
        engine::StopPlaying();
        return audio;
    }
    engine::StopPlaying();
    ReadWav(path, audio);
    return audio;
}

}  // namespace corvane::testing
