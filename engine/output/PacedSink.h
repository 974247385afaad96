#pragma once
// A sink with a thread of its own that pulls blocks and hands them to a
// writer (or discards them): paced in real time by the steady clock, as a
// device would pull them, or as fast as the machine goes. Used by the null
// and WAV outputs.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

#include "engine/output/AudioSink.h"
#include "engine/threads/Doorbell.h"

namespace corvane::engine {

class FrameWriter {
public:
    virtual ~FrameWriter() = default;
    virtual void Write(const float *stereo, size_t frames) = 0;
    // Makes what was written so far visible to readers of the output.
    virtual void Flush() = 0;
};

class PacedSink final : public AudioSink {
public:
    enum class Pace { kRealTime, kFast };

    // A null writer discards the audio.
    PacedSink(int sampleRate, Pace pace, std::unique_ptr<FrameWriter> writer);
    ~PacedSink() override;

    int Start(RenderSource &source) override;
    void Stop() override;
    void Interrupt() override;

private:
    void RunRealTime(RenderSource &source);
    void RunFast(RenderSource &source);
    void Write(const float *stereo, size_t frames);
    void Flush();
    void FinishTrack(RenderSource &source);
    bool Stopping() const { return stop_.load(std::memory_order_acquire); }

    const int sampleRate_;
    const Pace pace_;
    std::unique_ptr<FrameWriter> writer_;
    std::vector<float> block_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> interrupted_{false};
    Doorbell wake_;
    std::thread thread_;
};

}  // namespace corvane::engine
