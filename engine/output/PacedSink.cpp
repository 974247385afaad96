#include "engine/output/PacedSink.h"

#include "engine/PlatformFile.h"


namespace corvane::engine {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// About 23 ms at 44.1 kHz: a device's usual buffer, and few wake-ups.
constexpr size_t kRealTimeBlockFrames = 1024;
constexpr size_t kFastBlockFrames = 4096;

}  // namespace

PacedSink::PacedSink(int sampleRate, Pace pace, std::unique_ptr<FrameWriter> writer)
    : sampleRate_(sampleRate), pace_(pace), writer_(std::move(writer)) {}

PacedSink::~PacedSink() { Stop(); }

int PacedSink::Start(RenderSource &source) {
    const size_t frames = pace_ == Pace::kRealTime ? kRealTimeBlockFrames : kFastBlockFrames;
    block_.assign(2 * frames, 0.0f);
    thread_ = std::thread([this, &source] {
        NameThisThread("cvmp3-output");
        if (pace_ == Pace::kRealTime) {
            RunRealTime(source);
        } else {
            RunFast(source);
        }
    });
    return 0;
}

void PacedSink::Stop() {
    stop_.store(true, std::memory_order_release);
    wake_.Ring();
    if (thread_.joinable()) thread_.join();
    Flush();
}

void PacedSink::Interrupt() {
    interrupted_.store(true, std::memory_order_release);
    wake_.Ring();
}

void PacedSink::RunRealTime(RenderSource &source) {
    const size_t blockFrames = block_.size() / 2;
    auto due = Clock::now();
    while (!Stopping()) {
        const RenderResult result = source.Render(block_.data(), blockFrames, 0.0, RenderMode::kRealTime);
        Write(block_.data(), result.frames);
        source.WakeWorkers();
        if (result.ended) {
            FinishTrack(source);
            return;
        }
        if (result.holding) {
            Flush();
            if (result.frames == 0) {
                source.WaitForWork(20ms);
                due = Clock::now();
                continue;
            }
        }
        due += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
            static_cast<double>(result.frames) / sampleRate_));
        // A request cuts the block short: what follows (a pause's ramp, a
        // seek's new place) is heard from now, as a device that drops its
        // buffer would play it.
        while (!Stopping() && Clock::now() < due) {
            if (interrupted_.exchange(false, std::memory_order_acq_rel)) {
                due = Clock::now();
                break;
            }
            wake_.WaitUntil(due);
        }
    }
}

void PacedSink::RunFast(RenderSource &source) {
    const size_t blockFrames = block_.size() / 2;
    while (!Stopping()) {
        const RenderResult result = source.Render(block_.data(), blockFrames, 0.0, RenderMode::kComplete);
        Write(block_.data(), result.frames);
        source.WakeWorkers();
        if (result.ended) {
            FinishTrack(source);
            return;
        }
        if (result.holding) {
            Flush();
            if (result.frames == 0) source.WaitForWork(20ms);
        } else if (result.frames == 0) {
            source.WaitForWork(2ms);
        }
    }
}

// Everything of the track is out before the end is reported, so that a host
// that sees the end finds the whole output in place.
void PacedSink::FinishTrack(RenderSource &source) {
    Flush();
    while (!source.MarkEnd(0.0) && !Stopping()) {
        source.WakeWorkers();
        source.WaitForWork(2ms);
    }
    source.WakeWorkers();
}

void PacedSink::Write(const float *stereo, size_t frames) {
    if (writer_ && frames > 0) writer_->Write(stereo, frames);
}

void PacedSink::Flush() {
    if (writer_) writer_->Flush();
}

}  // namespace corvane::engine
